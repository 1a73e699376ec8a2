// Temporary files left by a killed job: the next job that writes into the same folder removes
// them, but never one a running job still holds, and nothing that only looks like one.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/cli/cli_test_support.h"

namespace vqtest {
namespace {

const char kStale[] = ".vq~0123456789.tmp";
const char kHeld[] = ".vq~abcdefghij.tmp";
// Names that are not a temporary file of ours, and a folder with such a name.
const std::vector<std::string> kLookalikes = {
    "vq~0123456789.tmp",   ".vq~012345678.tmp", ".vq~0123456789a.tmp",     ".vq~ABCDEFGHIJ.tmp",
    ".vq~0123456789.tmpx", ".notes.txt.vq~new", ".vq~gone~abcdefghij.tmp", "notes.tmp"};
const char kFolderLookalike[] = ".vq~folder0000.tmp";

// Runs one job that writes into the folder: a replacement of `existing`, or a new file.
FileFailure RunJob(const std::string& path, bool replace) {
    FileAccess& files = SystemFiles();
    std::unique_ptr<SourceFile> source;
    std::unique_ptr<NewContent> content;
    FileFailure failure = FileFailure::kNone;
    if (replace) {
        failure = files.OpenSource(path, OpenPurpose::kReplace, source);
        if (failure == FileFailure::kNone)
            failure = source->BeginReplacement(content);
    } else {
        failure = files.BeginNewFile(path, content);
    }
    const unsigned char bytes[] = "new content";
    if (failure == FileFailure::kNone)
        failure = content->Write(bytes, sizeof bytes - 1);
    return failure == FileFailure::kNone ? content->Commit() : failure;
}

TEST(TempSweep, TheNextJobInTheFolderRemovesOnlyStaleTempsOfOurs) {
    for (const bool replace : {true, false}) {
        ScratchFolder folder;
        WriteBytes(folder.File(kStale), "plain text a kill left");
        WriteBytes(folder.File(kHeld), "plain text of a job still running");
        for (const std::string& name : kLookalikes)
            WriteBytes(folder.File(name), "someone else's");
        ASSERT_EQ(0, mkdir(folder.File(kFolderLookalike).c_str(), 0700));
        if (replace)
            WriteBytes(folder.File("notes.txt"), "old content");

        // A running job holds its temporary file locked.
        const int held = open(folder.File(kHeld).c_str(), O_RDWR | O_CLOEXEC);
        ASSERT_GE(held, 0);
        ASSERT_EQ(0, flock(held, LOCK_EX));

        ASSERT_EQ(FileFailure::kNone, RunJob(folder.File("notes.txt"), replace));
        EXPECT_EQ("new content", ReadBytes(folder.File("notes.txt")));
        EXPECT_FALSE(Exists(folder.File(kStale))) << (replace ? "replacing" : "new file");
        EXPECT_EQ("plain text of a job still running", ReadBytes(folder.File(kHeld)));
        for (const std::string& name : kLookalikes)
            EXPECT_EQ("someone else's", ReadBytes(folder.File(name))) << name;
        EXPECT_TRUE(Exists(folder.File(kFolderLookalike)));

        // Once its job has ended, the next job removes it too.
        close(held);
        ASSERT_EQ(FileFailure::kNone, RunJob(folder.File("notes.txt"), true));
        EXPECT_FALSE(Exists(folder.File(kHeld)));
        EXPECT_EQ(kLookalikes.size() + 2, SortedEntries(folder.Path()).size());
    }
}

// A job's own temporary file, before it is put in place, cannot be taken by another job's
// clean-up: it is locked from its creation.
TEST(TempSweep, AWritersOwnTempFileIsLockedFromItsCreation) {
    ScratchFolder folder;
    WriteBytes(folder.File("notes.txt"), "old content");
    std::unique_ptr<SourceFile> source;
    std::unique_ptr<NewContent> content;
    ASSERT_EQ(FileFailure::kNone,
              SystemFiles().OpenSource(folder.File("notes.txt"), OpenPurpose::kReplace, source));
    ASSERT_EQ(FileFailure::kNone, source->BeginReplacement(content));
    // The unnamed file can be reached through this process's descriptors; one of them is
    // the temporary file, and it is locked.
    bool sawLocked = false;
    for (int fd = 3; fd < 1024; ++fd) {
        char link[64];
        char target[4096] = {};
        std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
        if (readlink(link, target, sizeof target - 1) <= 0 ||
            std::string(target).find(folder.Path() + "/#") != 0)
            continue;
        const int other = open(link, O_RDONLY | O_CLOEXEC);
        ASSERT_GE(other, 0);
        EXPECT_NE(0, flock(other, LOCK_EX | LOCK_NB));
        close(other);
        sawLocked = true;
    }
    if (!sawLocked)
        GTEST_SKIP() << "no unnamed temporary files here";
    const unsigned char bytes[] = "new";
    ASSERT_EQ(FileFailure::kNone, content->Write(bytes, 3));
    ASSERT_EQ(FileFailure::kNone, content->Commit());
}

} // namespace
} // namespace vqtest
