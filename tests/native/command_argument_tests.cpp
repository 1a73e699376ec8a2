// Picking the file to open out of the command line the shell gives the program.
#include "util/command_argument.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace vqtest {
namespace {

constexpr std::size_t kDestinationSize = 128;
constexpr std::size_t kGuardSize = 16;
constexpr char kUntouched = '#';

struct Extracted {
    std::uint32_t status;
    std::string text; // the destination's text (or "<unchanged>")
    bool guardIntact; // nothing written past the destination
};

Extracted Extract(const std::string& line, std::uint32_t position,
                  std::size_t destinationSize = kDestinationSize) {
    std::vector<char> buffer(destinationSize + kGuardSize, kUntouched);
    Extracted result;
    result.status = ExtractCommandArgument(line.c_str(), position, buffer.data(), destinationSize);
    result.guardIntact = true;
    for (std::size_t i = destinationSize; i < buffer.size(); ++i)
        result.guardIntact = result.guardIntact && buffer[i] == kUntouched;
    bool unchanged = true;
    for (std::size_t i = 0; i < destinationSize; ++i)
        unchanged = unchanged && buffer[i] == kUntouched;
    result.text = unchanged ? "<unchanged>"
                            : std::string(buffer.data(), strnlen(buffer.data(), destinationSize));
    return result;
}

struct Case {
    const char* what;
    std::string line;
    std::uint32_t position;
    std::uint32_t status;
    std::string text;
};

const std::string kProgram = "\"C:\\Program Files\\Veilquill\\Veilquill.exe\"";

TEST(ExtractCommandArgument, CommandLineCases) {
    const Case cases[] = {
        {"program path not quoted", "C:\\Tools\\Veilquill.exe C:\\a.txt", 1,
         kArgumentNoLeadingQuote, "<unchanged>"},
        {"plain path", kProgram + " C:\\a.txt", 1, kArgumentFound, "C:\\a.txt"},
        {"quoted path with spaces", kProgram + " \"C:\\My Files\\a b.txt\"", 1, kArgumentFound,
         "C:\\My Files\\a b.txt"},
        {"unquoted path is cut at its space", kProgram + " C:\\My Files\\a.txt", 1, kArgumentFound,
         "C:\\My"},
        {"second half of the unquoted path", kProgram + " C:\\My Files\\a.txt", 2, kArgumentFound,
         "Files\\a.txt"},
        {"quoted section inside letters", kProgram + " ab\"c d\"ef", 1, kArgumentFound, "abc def"},
        {"tab inside quotes separates, first", kProgram + " \"a\tb\"", 1, kArgumentFound, "a"},
        {"tab inside quotes separates, second", kProgram + " \"a\tb\"", 2, kArgumentFound, "b"},
        {"tab outside quotes separates", kProgram + "\tx\ty", 2, kArgumentFound, "y"},
        {"odd quotes after the path", kProgram + " a\"b", 1, kArgumentOddQuotes, "<unchanged>"},
        {"odd quotes in the path", "\"C:\\Veilquill.exe", 1, kArgumentOddQuotes, "<unchanged>"},
        {"empty quotes as argument 1", kProgram + " \"\"", 1, kArgumentEmptyQuotes, ""},
        {"word after empty quotes", kProgram + " \"\" word", 2, kArgumentFound, "word"},
        {"two empty pairs in a row", kProgram + " \"\"\"\"", 1, kArgumentEmptyQuotes, ""},
        {"touching quoted sections", kProgram + " \"a\"\"b\"", 1, kArgumentFound,
         "a\xFF"
         "b"},
        {"0xFE comes back as a space",
         kProgram + " a\xFE"
                    "b",
         1, kArgumentFound, "a b"},
        {"0xFF first is an empty section",
         kProgram + " \xFF"
                    "abc",
         1, kArgumentEmptyQuotes, ""},
        {"nothing after the path, 1", kProgram, 1, kArgumentFound, ""},
        {"nothing after the path, 2", kProgram, 2, kArgumentNotReached, ""},
        {"only spaces after the path, 1", kProgram + "   ", 1, kArgumentFound, ""},
        {"only spaces after the path, 2", kProgram + "   ", 2, kArgumentNotReached, ""},
        {"trailing space counts", kProgram + " a ", 2, kArgumentFound, ""},
        {"no trailing space", kProgram + " a", 2, kArgumentNotReached, ""},
        {"position 0", kProgram + " a", 0, kArgumentNotReached, ""},
        {"position 0 on an unquoted line", "x", 0, kArgumentNotReached, ""},
        {"far position", kProgram + " a b", 0xFFFFFFFFu, kArgumentNotReached, ""},
        {"text right after the path", kProgram + "file.txt", 1, kArgumentFound, "file.txt"},
        {"runs of spaces", kProgram + "   a    b  ", 2, kArgumentFound, "b"},
    };
    for (const Case& c : cases) {
        const Extracted got = Extract(c.line, c.position);
        EXPECT_EQ(got.status, c.status) << c.what;
        EXPECT_EQ(got.text, c.text) << c.what;
        EXPECT_TRUE(got.guardIntact) << c.what;
    }
}

// The text after the program's path has room for kCommandLineCapacity bytes with the
// terminator: a whole Windows command line of the longest kind in UTF-8.
TEST(ExtractCommandArgument, LineTooLongForTheWorkingCopies) {
    const std::size_t room = kCommandLineCapacity - 1;
    const std::string fits = " " + std::string(room - 1, 'a'); // `room` bytes after the path
    Extracted got = Extract(kProgram + fits, 1, room + 1);
    EXPECT_EQ(got.status, kArgumentFound);
    EXPECT_EQ(got.text, std::string(room - 1, 'a'));

    got = Extract(kProgram + fits + "b", 1, room + 1);
    EXPECT_EQ(got.status, kArgumentTooLong);
    EXPECT_EQ(got.text, "");
    EXPECT_TRUE(got.guardIntact);

    // Marking an empty pair adds a byte: room - 1 bytes fit once marked, room do not.
    const std::string marked = " " + std::string(room - 4, 'a') + "\"\"";
    got = Extract(kProgram + marked, 1, room + 1);
    EXPECT_EQ(got.status, kArgumentFound);
    EXPECT_EQ(got.text, std::string(room - 4, 'a') + "\xFF");

    got = Extract(kProgram + marked + "b", 1, room + 1);
    EXPECT_EQ(got.status, kArgumentTooLong);
    EXPECT_EQ(got.text, "");
}

// A path in UTF-8 comes back byte for byte, whatever its characters and however long: no byte
// of a multibyte character is taken for a quote, a space or a mark.
TEST(ExtractCommandArgument, Utf8PathsComeBackWhole) {
    const std::string greek = "C:\\Σημειώσεις.txt";
    const std::string spaced = "C:\\Мои документы\\命令行 😀.txt";
    std::string deep = "C:";
    while (deep.size() < 700)
        deep += "\\Документы";
    deep += "\\命令行.txt";
    struct PathCase {
        std::string rest;
        std::string text;
    } cases[] = {
        {" " + greek, greek},
        {" \"" + spaced + "\"", spaced},
        {" \"" + deep + "\" second", deep},
    };
    for (const PathCase& c : cases) {
        const Extracted got = Extract(kProgram + c.rest, 1, kCommandLineCapacity);
        EXPECT_EQ(got.status, kArgumentFound) << c.text;
        EXPECT_EQ(got.text, c.text);
    }
}

TEST(ExtractCommandArgument, ArgumentTooLongForTheDestination) {
    Extracted got = Extract(kProgram + " abcdefg", 1, 8);
    EXPECT_EQ(got.status, kArgumentFound);
    EXPECT_EQ(got.text, "abcdefg");
    EXPECT_TRUE(got.guardIntact);

    got = Extract(kProgram + " abcdefgh", 1, 8);
    EXPECT_EQ(got.status, kArgumentTooLong);
    EXPECT_EQ(got.text, "");
    EXPECT_TRUE(got.guardIntact);

    // Even an empty argument needs room for its terminator.
    got = Extract(kProgram, 1, 0);
    EXPECT_EQ(got.status, kArgumentTooLong);
    EXPECT_TRUE(got.guardIntact);
}

} // namespace
} // namespace vqtest
