// Loading a document (only what the view shows is read, whatever the file's size), and what
// the commands ask about paths and files.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/file_jobs.h"
#include "document/document.h"
#include "document/document_status.h"
#include "platform/platform.h"
#include "platform/win32_path_attributes.h"
#include "tests/support/literal_cipher.h"
#include "tests/support/files.h"
#include "tests/support/sample_text.h"
#include "tests/support/scratch_folder.h"

namespace vqtest {
namespace {

// What a load of the document reads: the view's bound and one byte more, as they are.
struct Loaded {
    JobResult result;
    std::uint64_t size = 0;
    bool encrypted = false;
    std::string text;
};

Loaded Load(const std::string& path) {
    const FileHead head =
        ReadFileHead(SystemFiles(), path, OpenPurpose::kReadWritable, kViewTextBound + 1, nullptr);
    return Loaded{head.result, head.format.size, head.format.encrypted(),
                  std::string(head.head.begin(), head.head.end())};
}

// The load reads only what the view shows: the first kViewTextBound + 1 bytes, and of an
// encrypted file none of the trailer.
TEST(DocumentFile, ALoadReadsTheStartAndTellsTheWholeSize) {
    ScratchFolder folder;
    std::string bytes = SampleText(70000);
    bytes[3] = '\0';
    ASSERT_TRUE(WriteBytes(folder.File("a.txt"), bytes));
    Loaded shown = Load(folder.File("a.txt"));
    ASSERT_TRUE(shown.result.done());
    EXPECT_EQ(70000u, shown.size);
    EXPECT_FALSE(shown.encrypted);
    EXPECT_EQ(bytes.substr(0, kViewTextBound + 1), shown.text);

    // Encrypted, one byte over the bound with its trailer: the trailer is never shown.
    const std::string cipher = SampleText(kViewTextBound + 1) + kTrailer;
    ASSERT_TRUE(WriteBytes(folder.File("b.txt"), cipher));
    shown = Load(folder.File("b.txt"));
    ASSERT_TRUE(shown.result.done());
    EXPECT_TRUE(shown.encrypted);
    EXPECT_EQ(cipher.size(), shown.size);
    EXPECT_EQ(kViewTextBound + 1, shown.text.size());
    ASSERT_TRUE(WriteBytes(folder.File("c.txt"), "ab" + kTrailer));
    shown = Load(folder.File("c.txt"));
    EXPECT_TRUE(shown.encrypted);
    EXPECT_EQ("ab", shown.text);
    // One byte is never taken for encrypted.
    ASSERT_TRUE(WriteBytes(folder.File("d.txt"), "\xAD"));
    shown = Load(folder.File("d.txt"));
    EXPECT_FALSE(shown.encrypted);
    EXPECT_EQ("\xAD", shown.text);
}

TEST(DocumentFile, MissingEmptyAndLockedFilesAreTold) {
    ScratchFolder folder;
    // What the user is told of each: the open error.
    auto noticeOf = [](const std::string& path) {
        return NoticeFor(DocumentStep::kLoad, Load(path).result);
    };
    EXPECT_EQ(Notice::OpenError, noticeOf(folder.File("none")));
    ASSERT_TRUE(WriteBytes(folder.File("empty"), ""));
    EXPECT_TRUE(Load(folder.File("empty")).result.done());
    EXPECT_EQ(0u, Load(folder.File("empty")).size);
    ASSERT_TRUE(WriteBytes(folder.File("held"), "abc"));
    UniqueHandle held = HoldOpen(folder.File("held"), 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, held.get());
    EXPECT_EQ(Notice::OpenError, noticeOf(folder.File("held")));
    // Documents open only where they could be saved: a file another program reads without
    // sharing its writing is refused as it always was.
    held.reset();
    held = HoldOpen(folder.File("held"), FILE_SHARE_READ);
    ASSERT_NE(INVALID_HANDLE_VALUE, held.get());
    EXPECT_EQ(Notice::OpenError, noticeOf(folder.File("held")));
    held.reset();
    EXPECT_TRUE(Load(folder.File("held")).result.done());
    EXPECT_EQ(Notice::OpenError, noticeOf(folder.Path()));
}

// Files of 2 GiB and more open with their whole size, never cut to 32 bits.
TEST(DocumentFile, FilesOfTwoGibibytesAndMoreOpenWithTheirWholeSize) {
    ScratchFolder folder;
    // Exactly 2 GiB, and 4 GiB + 1 (whose low 32 bits would read as a one-byte file).
    ASSERT_TRUE(MakeSizedFile(folder.File("two"), 0x80000000LL));
    ASSERT_TRUE(MakeSizedFile(folder.File("four"), 0x100000001LL));
    const Loaded two = Load(folder.File("two"));
    const Loaded four = Load(folder.File("four"));
    ASSERT_TRUE(two.result.done());
    ASSERT_TRUE(four.result.done());
    EXPECT_EQ(0x80000000ull, two.size);
    EXPECT_EQ(0x100000001ull, four.size);
    EXPECT_EQ(std::string(kViewTextBound + 1, '\0'), four.text);
}

TEST(DocumentFile, ReadOnlyAndHiddenFilesAreMadeWritable) {
    ScratchFolder folder;
    ASSERT_TRUE(WriteBytes(folder.File("ro"), "a"));
    ASSERT_TRUE(WriteBytes(folder.File("hidden"), "b"));
    ASSERT_TRUE(SetFileAttributesA(folder.File("ro").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesA(folder.File("hidden").c_str(), FILE_ATTRIBUTE_HIDDEN));
    NormaliseFileAttributes(folder.File("ro").c_str());
    NormaliseFileAttributes(folder.File("hidden").c_str());
    EXPECT_EQ(0u, GetFileAttributesA(folder.File("ro").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(0u, GetFileAttributesA(folder.File("hidden").c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST(DocumentFile, OneFileUnderTwoNamesIsTheSameFile) {
    ScratchFolder folder;
    ASSERT_TRUE(WriteBytes(folder.File("Doc.txt"), "a"));
    ASSERT_TRUE(WriteBytes(folder.File("other.txt"), "a"));
    FileAccess& files = SystemFiles();
    EXPECT_TRUE(files.SameFile(folder.File("Doc.txt"), folder.File("Doc.txt")));
    EXPECT_TRUE(files.SameFile(folder.File("Doc.txt"), folder.Path() + "\\.\\Doc.txt"));
    EXPECT_FALSE(files.SameFile(folder.File("Doc.txt"), folder.File("other.txt")));
    EXPECT_FALSE(files.SameFile(folder.File("Doc.txt"), folder.File("new.txt")));
}

} // namespace
} // namespace vqtest
