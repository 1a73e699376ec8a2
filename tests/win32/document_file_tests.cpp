// Reading a document whole and putting a new content in place of a file: sizes that cannot
// be held, writes that fail, and what a replaced file keeps.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/document_file.h"
#include "document/file_replacement.h"
#include "tests/support/files.h"
#include "tests/support/sample_text.h"
#include "tests/support/scratch_folder.h"

namespace vqtest {
namespace {

std::string BlockText(const FileBytes& file, std::size_t extra) {
    return std::string(file.block.text(), file.size + extra);
}

TEST(DocumentFile, AFileIsReadWholeWithZeroedSpareBytes) {
    ScratchFolder folder;
    const std::string bytes = SampleText(70000);
    ASSERT_TRUE(WriteBytes(folder.File("a.txt"), bytes));
    const FileBytes file = ReadWholeFile(folder.File("a.txt").c_str(), 3);
    ASSERT_EQ(FileStatus::kOk, file.status);
    EXPECT_EQ(bytes.size(), file.size);
    EXPECT_EQ(bytes + std::string(3, '\0'), BlockText(file, 3));
}

TEST(DocumentFile, MissingEmptyAndLockedFilesAreTold) {
    ScratchFolder folder;
    EXPECT_EQ(FileStatus::kOpenFailed, ReadWholeFile(folder.File("none").c_str(), 1).status);
    ASSERT_TRUE(WriteBytes(folder.File("empty"), ""));
    EXPECT_EQ(FileStatus::kEmpty, ReadWholeFile(folder.File("empty").c_str(), 1).status);
    ASSERT_TRUE(WriteBytes(folder.File("held"), "abc"));
    UniqueHandle held = HoldOpen(folder.File("held"), 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, held.get());
    EXPECT_EQ(FileStatus::kOpenFailed, ReadWholeFile(folder.File("held").c_str(), 1).status);
    held.reset();
    EXPECT_EQ(FileStatus::kOpenFailed, ReadWholeFile(folder.Path().c_str(), 1).status);
}

TEST(DocumentFile, FilesOfTwoGibibytesAndMoreAreRefusedNeverMisSized) {
    ScratchFolder folder;
    // Exactly 2 GiB, and 4 GiB + 1 (whose low 32 bits would read as a one-byte file).
    ASSERT_TRUE(MakeSizedFile(folder.File("two"), 0x80000000LL));
    ASSERT_TRUE(MakeSizedFile(folder.File("four"), 0x100000001LL));
    EXPECT_EQ(FileStatus::kTooLarge, ReadWholeFile(folder.File("two").c_str(), 1).status);
    EXPECT_EQ(FileStatus::kTooLarge, ReadWholeFile(folder.File("four").c_str(), 1).status);
}

TEST(DocumentFile, ANewContentReplacesTheFileAndItsAttributesStay) {
    ScratchFolder folder;
    const std::string path = folder.File("doc.txt");
    ASSERT_TRUE(WriteBytes(path, "old content that is longer than the new one"));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    const std::string fresh = SampleText(40000);
    ASSERT_EQ(FileStatus::kOk,
              ReplaceFileContent(path.c_str(), nullptr,
                                 reinterpret_cast<const unsigned char*>(fresh.data()),
                                 fresh.size()));
    EXPECT_EQ(fresh, ReadBytes(path).value_or("?"));
    EXPECT_NE(0u, GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(std::vector<std::string>{"doc.txt"}, Entries(folder.Path()));
}

TEST(DocumentFile, ANewNameGetsTheContentAndAnEmptyContentIsWritten) {
    ScratchFolder folder;
    ASSERT_EQ(FileStatus::kOk,
              ReplaceFileContent(folder.File("new.txt").c_str(), nullptr,
                                 reinterpret_cast<const unsigned char*>("xyz"), 3));
    EXPECT_EQ("xyz", ReadBytes(folder.File("new.txt")).value_or("?"));
    ASSERT_EQ(FileStatus::kOk,
              ReplaceFileContent(folder.File("new.txt").c_str(), nullptr, nullptr, 0));
    EXPECT_EQ("", ReadBytes(folder.File("new.txt")).value_or("?"));
    EXPECT_EQ(std::vector<std::string>{"new.txt"}, Entries(folder.Path()));
}

// A write that cannot be put in place leaves the old file byte for byte and no stray file.
TEST(DocumentFile, AFailedWriteLeavesTheFileAsItWas) {
    ScratchFolder folder;
    const std::string path = folder.File("doc.txt");
    ASSERT_TRUE(WriteBytes(path, "original"));
    const unsigned char fresh[] = "replacement";

    // Held open by another user who does not share its deletion: it cannot be replaced.
    UniqueHandle held = HoldOpen(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(INVALID_HANDLE_VALUE, held.get());
    EXPECT_EQ(FileStatus::kWriteFailed,
              ReplaceFileContent(path.c_str(), nullptr, fresh, sizeof fresh));
    held.reset();
    EXPECT_EQ("original", ReadBytes(path).value_or("?"));
    EXPECT_EQ(std::vector<std::string>{"doc.txt"}, Entries(folder.Path()));

    // A folder in the way.
    ASSERT_TRUE(CreateDirectoryA(folder.File("dir").c_str(), nullptr));
    EXPECT_EQ(FileStatus::kWriteFailed,
              ReplaceFileContent(folder.File("dir").c_str(), nullptr, fresh, sizeof fresh));
    EXPECT_TRUE(Entries(folder.File("dir")).empty());

    // A folder that does not exist.
    EXPECT_EQ(FileStatus::kWriteFailed, ReplaceFileContent(folder.File("none\\doc.txt").c_str(),
                                                           nullptr, fresh, sizeof fresh));
    EXPECT_EQ((std::vector<std::string>{"dir", "doc.txt"}), SortedEntries(folder.Path()));
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
