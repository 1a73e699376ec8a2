// Putting new content in place of a file through the system's files, as every save does: a
// link, other names, another program holding it, attributes, new names and failures that
// must leave the file as it was. Run under Wine, which shows Unix links and hard links; ACLs,
// alternate streams and EFS it cannot show.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/file_access.h"
#include "platform/platform.h"
#include "tests/support/files.h"
#include "tests/support/sample_text.h"
#include "tests/support/scratch_folder.h"

namespace vqtest {
namespace {

// Linux system calls, made directly: a Windows program under Wine is a Linux process, and
// Windows has no call that makes a Unix symbolic link.
long LinuxCall(long number, const char* first, const char* second, long third) {
#if defined(__x86_64__)
    long result = 0;
    register long r10 asm("r10") = 0;
    asm volatile("syscall"
                 : "=a"(result)
                 : "0"(number), "D"(first), "S"(second), "d"(third), "r"(r10)
                 : "rcx", "r11", "memory");
    return result;
#else
    (void)number, (void)first, (void)second, (void)third;
    return -1;
#endif
}
constexpr long kLinuxSymlink = 88;
constexpr long kLinuxReadlink = 89;

bool MakeUnixSymlink(const std::string& target, const std::string& link) {
    return LinuxCall(kLinuxSymlink, WindowsToUnixPath(target).c_str(),
                     WindowsToUnixPath(link).c_str(), 0) == 0;
}

// What the link points to, or empty when it is no link.
std::string UnixLinkTarget(const std::string& link) {
    char buffer[MAX_PATH] = {};
    const long length =
        LinuxCall(kLinuxReadlink, WindowsToUnixPath(link).c_str(), buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

// Puts `bytes` in place of the file at `path` (held from its opening to the commit), or makes
// it new when nothing has that name.
FileFailure Replace(const std::string& path, const std::string& bytes) {
    FileAccess& files = SystemFiles();
    std::unique_ptr<SourceFile> source;
    std::unique_ptr<NewContent> content;
    FileFailure failure = files.OpenSource(path, OpenPurpose::kReplace, source);
    if (failure == FileFailure::kMissing)
        failure = files.BeginNewFile(path, content);
    else if (failure == FileFailure::kNone)
        failure = source->BeginReplacement(content);
    if (failure == FileFailure::kNone)
        failure =
            content->Write(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return failure == FileFailure::kNone ? content->Commit() : failure;
}

// A link stays a link: the file it points to gets the new content, in its own folder, and
// the link still points to it.
TEST(FileReplacement, ThroughAUnixLinkTheRealFileChanges) {
    ScratchFolder real;
    ScratchFolder links;
    ASSERT_TRUE(WriteBytes(real.File("real.txt"), "plain text"));
    if (!MakeUnixSymlink(real.File("real.txt"), links.File("link.txt")))
        GTEST_SKIP() << "no Unix links here";
    ASSERT_EQ(FileFailure::kNone, Replace(links.File("link.txt"), "cipher text, longer"));
    EXPECT_EQ("cipher text, longer", ReadBytes(real.File("real.txt")).value_or("?"));
    EXPECT_EQ(WindowsToUnixPath(real.File("real.txt")), UnixLinkTarget(links.File("link.txt")));
    EXPECT_EQ(std::vector<std::string>{"real.txt"}, Entries(real.Path()));
    EXPECT_EQ(std::vector<std::string>{"link.txt"}, Entries(links.Path()));
}

// Every name of a file with several sees the new content, longer or shorter, and no
// temporary file is left.
TEST(FileReplacement, EveryNameOfAHardLinkedFileSeesTheNewContent) {
    ScratchFolder folder;
    ASSERT_TRUE(WriteBytes(folder.File("a.txt"), "the old content of both names"));
    ASSERT_TRUE(
        CreateHardLinkA(folder.File("b.txt").c_str(), folder.File("a.txt").c_str(), nullptr));
    ASSERT_EQ(FileFailure::kNone, Replace(folder.File("a.txt"), "short"));
    EXPECT_EQ("short", ReadBytes(folder.File("b.txt")).value_or("?"));
    ASSERT_EQ(FileFailure::kNone, Replace(folder.File("b.txt"), "a longer new content for a"));
    EXPECT_EQ("a longer new content for a", ReadBytes(folder.File("a.txt")).value_or("?"));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt"}), SortedEntries(folder.Path()));
}

TEST(FileReplacement, ANewContentReplacesTheFileAndItsAttributesStay) {
    ScratchFolder folder;
    const std::string path = folder.File("doc.txt");
    ASSERT_TRUE(WriteBytes(path, "old content that is longer than the new one"));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    const std::string fresh = SampleText(40000);
    ASSERT_EQ(FileFailure::kNone, Replace(path, fresh));
    EXPECT_EQ(fresh, ReadBytes(path).value_or("?"));
    EXPECT_NE(0u, GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(std::vector<std::string>{"doc.txt"}, Entries(folder.Path()));

    // A reader that shares everything, a viewer say, does not keep the file from its new
    // content (under Wine no rename can go over it, so this is the other way of putting it in
    // place).
    UniqueHandle reader = HoldOpen(path, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    ASSERT_TRUE(reader.valid());
    ASSERT_EQ(FileFailure::kNone, Replace(path, "third"));
    reader.reset();
    EXPECT_EQ("third", ReadBytes(path).value_or("?"));
    EXPECT_EQ(std::vector<std::string>{"doc.txt"}, Entries(folder.Path()));
}

TEST(FileReplacement, ANewNameGetsTheContentAndAnEmptyContentIsWritten) {
    ScratchFolder folder;
    ASSERT_EQ(FileFailure::kNone, Replace(folder.File("new.txt"), "xyz"));
    EXPECT_EQ("xyz", ReadBytes(folder.File("new.txt")).value_or("?"));
    ASSERT_EQ(FileFailure::kNone, Replace(folder.File("new.txt"), ""));
    EXPECT_EQ("", ReadBytes(folder.File("new.txt")).value_or("?"));
    EXPECT_EQ(std::vector<std::string>{"new.txt"}, Entries(folder.Path()));
}

// A write that cannot be put in place leaves the old file byte for byte and no stray file.
TEST(FileReplacement, AFailedWriteLeavesTheFileAsItWas) {
    ScratchFolder folder;
    const std::string path = folder.File("doc.txt");
    ASSERT_TRUE(WriteBytes(path, "original"));

    // Held open by another user who does not share its deletion: it cannot be replaced, and
    // that is known before anything is written.
    UniqueHandle held = HoldOpen(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(INVALID_HANDLE_VALUE, held.get());
    EXPECT_EQ(FileFailure::kWriteFailed, Replace(path, "replacement"));
    held.reset();
    EXPECT_EQ("original", ReadBytes(path).value_or("?"));
    EXPECT_EQ(std::vector<std::string>{"doc.txt"}, Entries(folder.Path()));

    // Open for writing in another program: not even held.
    UniqueHandle writer(CreateFileA(path.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer.valid());
    EXPECT_EQ(FileFailure::kInUse, Replace(path, "replacement"));
    writer.reset();

    // A folder in the way.
    ASSERT_TRUE(CreateDirectoryA(folder.File("dir").c_str(), nullptr));
    EXPECT_EQ(FileFailure::kIsFolder, Replace(folder.File("dir"), "replacement"));
    EXPECT_TRUE(Entries(folder.File("dir")).empty());

    // A folder that does not exist.
    EXPECT_NE(FileFailure::kNone, Replace(folder.File("none\\doc.txt"), "replacement"));
    EXPECT_EQ((std::vector<std::string>{"dir", "doc.txt"}), SortedEntries(folder.Path()));
    EXPECT_EQ("original", ReadBytes(path).value_or("?"));
}

// A new content that is never committed leaves nothing, not even under its temporary name;
// one whose file was written to since it was opened is refused at the commit.
TEST(FileReplacement, AnUncommittedOrOutdatedContentLeavesNothing) {
    ScratchFolder folder;
    const std::string path = folder.File("doc.txt");
    ASSERT_TRUE(WriteBytes(path, "original"));
    {
        std::unique_ptr<SourceFile> source;
        std::unique_ptr<NewContent> content;
        ASSERT_EQ(FileFailure::kNone,
                  SystemFiles().OpenSource(path, OpenPurpose::kReplace, source));
        ASSERT_EQ(FileFailure::kNone, source->BeginReplacement(content));
        ASSERT_EQ(FileFailure::kNone,
                  content->Write(reinterpret_cast<const unsigned char*>("x"), 1));
    }
    EXPECT_EQ(std::vector<std::string>{"doc.txt"}, Entries(folder.Path()));
    EXPECT_EQ("original", ReadBytes(path).value_or("?"));
}

// A content of many pieces is flushed to disk on a thread of its own while it is written:
// committed, it arrives whole in order; dropped while a flush may be running, it leaves nothing.
TEST(FileReplacement, ALargeContentFlushedOnTheWayArrivesWholeOrLeavesNothing) {
    ScratchFolder folder;
    const std::string path = folder.File("doc.txt");
    ASSERT_TRUE(WriteBytes(path, "original"));
    std::string piece(1 << 20, '\0');
    std::string whole;
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ("original", ReadBytes(path).value_or("?"));
        EXPECT_EQ(std::vector<std::string>{"doc.txt"}, Entries(folder.Path()));
        std::unique_ptr<SourceFile> source;
        std::unique_ptr<NewContent> content;
        ASSERT_EQ(FileFailure::kNone,
                  SystemFiles().OpenSource(path, OpenPurpose::kReplace, source));
        ASSERT_EQ(FileFailure::kNone, source->BeginReplacement(content));
        whole.clear();
        for (int i = 0; i < 40; ++i) {
            for (std::size_t j = 0; j < piece.size(); ++j)
                piece[j] = static_cast<char>('a' + (i * 7 + j / 4096) % 26);
            ASSERT_EQ(
                FileFailure::kNone,
                content->Write(reinterpret_cast<const unsigned char*>(piece.data()), piece.size()));
            whole += piece;
        }
        if (round == 0)
            continue; // dropped uncommitted
        ASSERT_EQ(FileFailure::kNone, content->Commit());
    }
    EXPECT_TRUE(ReadBytes(path) == whole);
    EXPECT_EQ(std::vector<std::string>{"doc.txt"}, Entries(folder.Path()));
}

// Temporary files a killed save left are removed by the next save into that folder, replacing
// a file or making a new one; one a running save holds, and anything that only looks like a
// temporary file, stay.
TEST(FileReplacement, TheNextSaveInAFolderRemovesOnlyStaleTemporaryFiles) {
    const std::vector<std::string> lookalikes = {
        "vq~0123456789.tmpx", "vq~012345678.tmp", "vq~0123456789a.tmp", "xvq~0123456789.tmp",
        "doc.txt.vq~new",     "rfa1a2b.tmp",      "notes.tmp"};
    for (const bool replace : {true, false}) {
        ScratchFolder folder;
        ASSERT_TRUE(WriteBytes(folder.File("vq~0123456789.tmp"), "plain text a kill left"));
        ASSERT_TRUE(WriteBytes(folder.File("vq~abcdefghij.tmp"), "a save still running"));
        ASSERT_TRUE(CreateDirectoryA(folder.File("vq~folder0000.tmp").c_str(), nullptr));
        for (const std::string& name : lookalikes)
            ASSERT_TRUE(WriteBytes(folder.File(name), "someone else's"));
        if (replace) {
            ASSERT_TRUE(WriteBytes(folder.File("doc.txt"), "old"));
        }
        // Held as a running save holds its own: shared for reading only.
        UniqueHandle held = HoldOpen(folder.File("vq~abcdefghij.tmp"), FILE_SHARE_READ);
        ASSERT_TRUE(held.valid());

        ASSERT_EQ(FileFailure::kNone, Replace(folder.File("doc.txt"), "new"));
        EXPECT_EQ("new", ReadBytes(folder.File("doc.txt")).value_or("?"));
        EXPECT_FALSE(Exists(folder.File("vq~0123456789.tmp"))) << (replace ? "replace" : "new");
        EXPECT_EQ("a save still running",
                  ReadBytes(folder.File("vq~abcdefghij.tmp")).value_or("?"));
        EXPECT_TRUE(FolderExists(folder.File("vq~folder0000.tmp")));
        for (const std::string& name : lookalikes)
            EXPECT_EQ("someone else's", ReadBytes(folder.File(name)).value_or("?")) << name;

        held.reset();
        ASSERT_EQ(FileFailure::kNone, Replace(folder.File("doc.txt"), "newer"));
        EXPECT_FALSE(Exists(folder.File("vq~abcdefghij.tmp")));
        EXPECT_EQ(lookalikes.size() + 2, Entries(folder.Path()).size());
    }
}

// A save's own temporary file cannot be deleted by another program (or another save's
// clean-up) while the save runs, and the save then ends as it should.
TEST(FileReplacement, ARunningSavesTemporaryFileCannotBeDeleted) {
    for (const bool replace : {true, false}) {
        ScratchFolder folder;
        const std::string path = folder.File("doc.txt");
        std::unique_ptr<SourceFile> source;
        std::unique_ptr<NewContent> content;
        if (replace) {
            ASSERT_TRUE(WriteBytes(path, "old"));
            ASSERT_EQ(FileFailure::kNone,
                      SystemFiles().OpenSource(path, OpenPurpose::kReplace, source));
            ASSERT_EQ(FileFailure::kNone, source->BeginReplacement(content));
        } else {
            ASSERT_EQ(FileFailure::kNone, SystemFiles().BeginNewFile(path, content));
        }
        ASSERT_EQ(FileFailure::kNone,
                  content->Write(reinterpret_cast<const unsigned char*>("new"), 3));
        int temps = 0;
        for (const std::string& name : Entries(folder.Path())) {
            if (name == "doc.txt")
                continue;
            ++temps;
            EXPECT_FALSE(DeleteFileA(folder.File(name).c_str())) << name;
        }
        EXPECT_EQ(1, temps);
        ASSERT_EQ(FileFailure::kNone, content->Commit());
        content.reset();
        source.reset();
        EXPECT_EQ("new", ReadBytes(path).value_or("?"));
        EXPECT_EQ(std::vector<std::string>{"doc.txt"}, Entries(folder.Path()));
    }
}

} // namespace
} // namespace vqtest
