// Loading a document (only what the view shows is read, whatever the file's size), and what
// the commands ask about paths and files.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/display_text.h"
#include "document/document_file.h"
#include "document/preview_reads.h"
#include "tests/support/literal_cipher.h"
#include "tests/support/files.h"
#include "tests/support/sample_text.h"
#include "tests/support/scratch_folder.h"

namespace vqtest {
namespace {

// The load reads only what the view shows: the first kViewTextBound + 1 bytes, with zero
// bytes as spaces, and of an encrypted file none of the trailer.
TEST(DocumentFile, ALoadReadsTheStartAndTellsTheWholeSize) {
    ScratchFolder folder;
    std::string bytes = SampleText(70000);
    bytes[3] = '\0';
    ASSERT_TRUE(WriteBytes(folder.File("a.txt"), bytes));
    DisplayDocument shown = ReadDocumentForDisplay(folder.File("a.txt").c_str(), nullptr);
    ASSERT_EQ(FileStatus::kOk, shown.status);
    EXPECT_EQ(70000u, shown.size);
    EXPECT_FALSE(shown.encrypted);
    std::string expected = bytes.substr(0, kViewTextBound + 1);
    for (char& c : expected)
        c = c == '\0' ? ' ' : c;
    EXPECT_EQ(expected, shown.text);

    // Encrypted, one byte over the bound with its trailer: the trailer is never shown.
    const std::string cipher = SampleText(kViewTextBound + 1) + kTrailer;
    ASSERT_TRUE(WriteBytes(folder.File("b.txt"), cipher));
    shown = ReadDocumentForDisplay(folder.File("b.txt").c_str(), nullptr);
    ASSERT_EQ(FileStatus::kOk, shown.status);
    EXPECT_TRUE(shown.encrypted);
    EXPECT_EQ(cipher.size(), shown.size);
    EXPECT_EQ(kViewTextBound + 1, shown.text.size());
    ASSERT_TRUE(WriteBytes(folder.File("c.txt"), "ab" + kTrailer));
    shown = ReadDocumentForDisplay(folder.File("c.txt").c_str(), nullptr);
    EXPECT_TRUE(shown.encrypted);
    EXPECT_EQ("ab", shown.text);
    // One byte is never taken for encrypted.
    ASSERT_TRUE(WriteBytes(folder.File("d.txt"), "\xAD"));
    shown = ReadDocumentForDisplay(folder.File("d.txt").c_str(), nullptr);
    EXPECT_FALSE(shown.encrypted);
    EXPECT_EQ("\xAD", shown.text);
}

TEST(DocumentFile, MissingEmptyAndLockedFilesAreTold) {
    ScratchFolder folder;
    auto statusOf = [](const std::string& path) {
        return ReadDocumentForDisplay(path.c_str(), nullptr).status;
    };
    EXPECT_EQ(FileStatus::kOpenFailed, statusOf(folder.File("none")));
    ASSERT_TRUE(WriteBytes(folder.File("empty"), ""));
    EXPECT_EQ(FileStatus::kEmpty, statusOf(folder.File("empty")));
    ASSERT_TRUE(WriteBytes(folder.File("held"), "abc"));
    UniqueHandle held = HoldOpen(folder.File("held"), 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, held.get());
    EXPECT_EQ(FileStatus::kOpenFailed, statusOf(folder.File("held")));
    // Documents open only where they could be saved: a file another program reads without
    // sharing its writing is refused as it always was.
    held.reset();
    held = HoldOpen(folder.File("held"), FILE_SHARE_READ);
    ASSERT_NE(INVALID_HANDLE_VALUE, held.get());
    EXPECT_EQ(FileStatus::kOpenFailed, statusOf(folder.File("held")));
    held.reset();
    EXPECT_EQ(FileStatus::kOk, statusOf(folder.File("held")));
    EXPECT_EQ(FileStatus::kOpenFailed, statusOf(folder.Path()));
}

// Files of 2 GiB and more open with their whole size, never cut to 32 bits.
TEST(DocumentFile, FilesOfTwoGibibytesAndMoreOpenWithTheirWholeSize) {
    ScratchFolder folder;
    // Exactly 2 GiB, and 4 GiB + 1 (whose low 32 bits would read as a one-byte file).
    ASSERT_TRUE(MakeSizedFile(folder.File("two"), 0x80000000LL));
    ASSERT_TRUE(MakeSizedFile(folder.File("four"), 0x100000001LL));
    const DisplayDocument two = ReadDocumentForDisplay(folder.File("two").c_str(), nullptr);
    const DisplayDocument four = ReadDocumentForDisplay(folder.File("four").c_str(), nullptr);
    ASSERT_EQ(FileStatus::kOk, two.status);
    ASSERT_EQ(FileStatus::kOk, four.status);
    EXPECT_EQ(0x80000000ull, two.size);
    EXPECT_EQ(0x100000001ull, four.size);
    EXPECT_EQ(std::string(kViewTextBound + 1, ' '), four.text);
}

TEST(DocumentFile, ReadOnlyAndHiddenFilesAreMadeWritable) {
    ScratchFolder folder;
    ASSERT_TRUE(WriteBytes(folder.File("ro"), "a"));
    ASSERT_TRUE(WriteBytes(folder.File("hidden"), "b"));
    ASSERT_TRUE(SetFileAttributesA(folder.File("ro").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesA(folder.File("hidden").c_str(), FILE_ATTRIBUTE_HIDDEN));
    NormaliseAttributes(folder.File("ro").c_str());
    NormaliseAttributes(folder.File("hidden").c_str());
    EXPECT_EQ(0u, GetFileAttributesA(folder.File("ro").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(0u, GetFileAttributesA(folder.File("hidden").c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST(DocumentFile, OneFileUnderTwoNamesIsTheSameFile) {
    ScratchFolder folder;
    ASSERT_TRUE(WriteBytes(folder.File("Doc.txt"), "a"));
    ASSERT_TRUE(WriteBytes(folder.File("other.txt"), "a"));
    EXPECT_TRUE(IsSameFile(folder.File("Doc.txt").c_str(), folder.File("Doc.txt").c_str()));
    EXPECT_TRUE(
        IsSameFile(folder.File("Doc.txt").c_str(), (folder.Path() + "\\.\\Doc.txt").c_str()));
    EXPECT_FALSE(IsSameFile(folder.File("Doc.txt").c_str(), folder.File("other.txt").c_str()));
    EXPECT_FALSE(IsSameFile(folder.File("Doc.txt").c_str(), folder.File("new.txt").c_str()));
}

} // namespace
} // namespace vqtest
