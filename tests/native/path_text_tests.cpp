// Cutting and joining paths without ever cutting one short or writing past a buffer.
#include "util/path_text.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vqtest {
namespace {

TEST(FileNamePart, TextAfterTheLastBackslash) {
    EXPECT_STREQ(FileNamePart("C:\\a\\b.txt"), "b.txt");
    EXPECT_STREQ(FileNamePart("b.txt"), "b.txt");
    EXPECT_STREQ(FileNamePart("C:\\folder\\"), "");
    EXPECT_STREQ(FileNamePart("\\\\server\\share\\x y.txt"), "x y.txt");
    EXPECT_STREQ(FileNamePart(""), "");
}

TEST(CopyWholeText, CopiesOnlyWhatFits) {
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_TRUE(CopyWholeText(buffer, 6, "abcde")); // exactly fits with its terminator
    EXPECT_STREQ(buffer, "abcde");
    EXPECT_EQ(buffer[6], '#');

    EXPECT_FALSE(CopyWholeText(buffer, 6, "abcdef"));
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(buffer[6], '#');
    EXPECT_FALSE(CopyWholeText(buffer, 0, "a"));
}

TEST(AppendWholeText, AppendsOnlyWhatFits) {
    char buffer[10] = "C:\\";
    EXPECT_TRUE(AppendWholeText(buffer, 8, "Data"));
    EXPECT_STREQ(buffer, "C:\\Data");
    EXPECT_FALSE(AppendWholeText(buffer, 8, "\\")); // would need 9 bytes
    EXPECT_STREQ(buffer, "C:\\Data");
    EXPECT_TRUE(AppendWholeText(buffer, 9, "\\"));
    EXPECT_STREQ(buffer, "C:\\Data\\");

    char unterminated[4] = {'a', 'b', 'c', 'd'};
    EXPECT_FALSE(AppendWholeText(unterminated, 4, ""));
}

} // namespace
} // namespace vqtest
