// The folder walk and the two-byte trailer test on real trees: what is counted, what is
// listed, what is left alone, and how a stopped scan stays still.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/tree_walk.h"
#include "finder/scan_run.h"
#include "platform/platform.h"
#include "tests/support/files.h"
#include "tests/support/literal_cipher.h"
#include "tests/support/scratch_folder.h"
#include "platform/win32_handles.h"

namespace vqtest {
namespace {

// ---------------------------------------------------------------------------------------------
// Trees on disk, made in the temporary folder and removed with everything in them.

class TestTree {
  public:
    TestTree() : folder_("vqfind"), root_(folder_.WithBackslash()) {}
    TestTree(const TestTree&) = delete;
    TestTree& operator=(const TestTree&) = delete;

    // The tree's folder ending in a backslash, as a scan is handed it.
    const std::string& Root() const { return root_; }
    std::string Path(const std::string& relative) const { return root_ + relative; }

    void Folder(const std::string& relative) const {
        ASSERT_TRUE(CreateDirectoryA(Path(relative).c_str(), nullptr)) << relative;
    }

    void File(const std::string& relative, const std::string& bytes) const {
        ASSERT_TRUE(WriteBytes(Path(relative), bytes)) << relative;
    }

    // A sparse file of `size` bytes with `bytes` at `offset`.
    void SparseFile(const std::string& relative, std::uint64_t size, std::uint64_t offset,
                    const std::string& bytes) const {
        UniqueHandle file(CreateFileA(Path(relative).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file.valid()) << relative;
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(size);
        ASSERT_TRUE(SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(file.get()));
        at.QuadPart = static_cast<LONGLONG>(offset);
        DWORD written = 0;
        ASSERT_TRUE(SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN));
        ASSERT_TRUE(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                              nullptr));
    }

  private:
    ScratchFolder folder_;
    std::string root_;
};

// ---------------------------------------------------------------------------------------------
// A whole scan of a tree, run to its end on the calling thread.

struct ScanResult {
    bool ranToEnd = false;
    std::uint32_t visits = 0;
    std::uint32_t found = 0;
    std::vector<std::string> rows;
};

ScanResult Scan(const std::string& root) {
    ScanRun run(root);
    std::string folder = root;
    ScanResult result;
    result.ranToEnd = WalkFolder(run, folder);
    EXPECT_EQ(root, folder) << "the walk gives its folder text back as it was";
    const ScanProgress progress = run.TakeProgress();
    result.visits = progress.visits;
    result.found = progress.found;
    result.rows = progress.newRows;
    return result;
}

std::vector<std::string> Sorted(std::vector<std::string> texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}

// ---------------------------------------------------------------------------------------------

TEST(FinderWalk, EmptyAndUnlistableFoldersCountOnlyTheirOwnVisit) {
    TestTree tree;
    EXPECT_EQ(1u, Scan(tree.Root()).visits);
    tree.Folder("a");
    tree.Folder("a\\b");
    EXPECT_EQ(3u, Scan(tree.Root()).visits);

    const ScanResult missing = Scan(tree.Path("no such folder\\"));
    EXPECT_TRUE(missing.ranToEnd);
    EXPECT_EQ(1u, missing.visits);
    EXPECT_EQ(0u, missing.found);
}

TEST(FinderWalk, ListsExactlyTheFilesEndingInTheTrailer) {
    TestTree tree;
    tree.File("two bytes", kTrailer);
    tree.File("one byte", "\xAD");
    tree.File("empty", "");
    tree.File("reversed", "\xAD\xDE");
    tree.File("trailer first", kTrailer + "text");
    tree.File("long", std::string(100000, 'x') + kTrailer);
    tree.File("trailer twice", kTrailer + kTrailer);

    const ScanResult result = Scan(tree.Root());
    EXPECT_EQ(8u, result.visits);
    EXPECT_EQ(Sorted({tree.Path("long"), tree.Path("trailer twice"), tree.Path("two bytes")}),
              Sorted(result.rows));
    EXPECT_EQ(3u, result.found);
}

TEST(FinderWalk, FindsReadOnlyAndBusyFilesAndChangesNothing) {
    TestTree tree;
    const std::string bytes = "locked away" + kTrailer;
    tree.File("read-only.txt", bytes);
    tree.File("busy.txt", bytes);
    const std::string readOnly = tree.Path("read-only.txt");
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    WIN32_FILE_ATTRIBUTE_DATA before{};
    ASSERT_TRUE(GetFileAttributesExA(readOnly.c_str(), GetFileExInfoStandard, &before));

    // Another program writes to it and lets others only read.
    UniqueHandle writer(CreateFileA(tree.Path("busy.txt").c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer.valid());

    const ScanResult result = Scan(tree.Root());
    EXPECT_EQ(Sorted({tree.Path("busy.txt"), readOnly}), Sorted(result.rows));

    WIN32_FILE_ATTRIBUTE_DATA after{};
    ASSERT_TRUE(GetFileAttributesExA(readOnly.c_str(), GetFileExInfoStandard, &after));
    EXPECT_EQ(before.dwFileAttributes, after.dwFileAttributes);
    EXPECT_NE(0u, after.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(0, CompareFileTime(&before.ftLastWriteTime, &after.ftLastWriteTime));
    EXPECT_EQ(bytes, ReadBytes(readOnly).value_or(""));
}

TEST(FinderWalk, JudgesFilesOfFourGibibytesAndMoreByTheirRealEnd) {
    TestTree tree;
    const std::uint64_t fourGiB = 0x100000000ull;
    // Ends in the trailer, 5 GiB long.
    tree.SparseFile("ends in trailer", 5 * (fourGiB / 4), 5 * (fourGiB / 4) - 2, kTrailer);
    // 4 GiB + 2 bytes: a 32-bit size would say 2 and look at the first two bytes instead.
    tree.SparseFile("trailer at start", fourGiB + 2, 0, kTrailer);

    EXPECT_TRUE(EndsInTrailer(SystemScanFolders(), tree.Path("ends in trailer")));
    EXPECT_FALSE(EndsInTrailer(SystemScanFolders(), tree.Path("trailer at start")));
    EXPECT_FALSE(EndsInTrailer(SystemScanFolders(), tree.Path("missing")));
    EXPECT_FALSE(EndsInTrailer(SystemScanFolders(), tree.Root()));
}

// ---------------------------------------------------------------------------------------------
// Stopping

TEST(FinderRun, ChangesNothingOnceAStopIsRequested) {
    ScanRun run("C:\\x\\");
    ASSERT_TRUE(run.BeginVisit());
    ASSERT_TRUE(run.TakeUpEntry("a.bin"));
    ASSERT_TRUE(run.AddFound("C:\\x\\a.bin"));
    run.RequestStop();

    EXPECT_FALSE(run.BeginVisit());
    EXPECT_FALSE(run.TakeUpEntry("b.bin"));
    EXPECT_FALSE(run.AddFound("C:\\x\\b.bin"));
    run.Finish();
    const ScanProgress progress = run.TakeProgress();
    EXPECT_EQ(1u, progress.visits);
    EXPECT_EQ(1u, progress.found);
    EXPECT_EQ("a.bin", progress.entryName);
    EXPECT_EQ(std::vector<std::string>{"C:\\x\\a.bin"}, progress.newRows);
    EXPECT_FALSE(progress.finished) << "a stopped walk never reports that it ran to its end";

    std::string folder = "C:\\x\\";
    EXPECT_FALSE(WalkFolder(run, folder));
}

TEST(FinderRun, AWalkStoppedMidwayReturnsAndAddsNothingAfterTheStop) {
    TestTree tree;
    for (int i = 0; i < 40; ++i) {
        const std::string folder = "f" + std::to_string(i);
        tree.Folder(folder);
        for (int j = 0; j < 25; ++j)
            tree.File(folder + "\\" + std::to_string(j) + ".bin", j % 5 == 0 ? kTrailer : "x");
    }
    const std::uint32_t allVisits = Scan(tree.Root()).visits;
    ASSERT_EQ(1u + 40u * 26u, allVisits);

    const DWORD handlesBefore = [] {
        DWORD count = 0;
        GetProcessHandleCount(GetCurrentProcess(), &count);
        return count;
    }();
    auto run = std::make_shared<ScanRun>(tree.Root());
    bool ranToEnd = true;
    std::thread walker([&] {
        std::string folder = run->Root();
        ranToEnd = WalkFolder(*run, folder);
    });
    while (run->TakeProgress().visits < 100 && !run->StopRequested())
        Sleep(0);
    run->RequestStop();
    const ScanProgress atStop = run->TakeProgress();
    walker.join();
    const ScanProgress afterwards = run->TakeProgress();

    EXPECT_FALSE(ranToEnd);
    EXPECT_GE(atStop.visits, 100u);
    EXPECT_LT(atStop.visits, allVisits);
    EXPECT_EQ(atStop.visits, afterwards.visits);
    EXPECT_EQ(atStop.found, afterwards.found);
    EXPECT_TRUE(afterwards.newRows.empty());
    EXPECT_EQ(atStop.entryName, afterwards.entryName);

    DWORD handlesAfter = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    EXPECT_EQ(handlesBefore, handlesAfter) << "every enumeration and file of the walk is closed";
}

} // namespace
} // namespace vqtest
