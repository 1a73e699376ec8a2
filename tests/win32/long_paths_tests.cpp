// Names outside any code page and paths past the old limit of 260 characters, through the
// Windows layer every program shares: files read and made, the scan's walk, the records
// folder and the program's own folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/file_jobs.h"
#include "core/record_store.h"
#include "core/tree_walk.h"
#include "platform/file_identity.h"
#include "platform/platform.h"
#include "tests/support/files.h"
#include "tests/support/literal_cipher.h"
#include "tests/support/sample_names.h"
#include "tests/support/scratch_folder.h"
#include "ui/help_path.h"
#include "platform/win32_program_folder.h"

namespace vqtest {
namespace {

// A folder below `root` whose path is at least `length` characters long, made of Cyrillic
// folders.
std::string DeepFolder(const std::string& root, std::size_t length) {
    std::string folder = root;
    while (folder.size() < length)
        folder = JoinPath(folder, kCyrillicFolder);
    return folder;
}

// Counts the walk and keeps what it found.
class FoundList : public ScanObserver {
  public:
    bool BeginVisit() override {
        ++visits;
        return true;
    }
    bool TakeUpEntry(const std::string&) override { return true; }
    bool AddFound(const std::string& path) override {
        found.push_back(path);
        return true;
    }
    bool StopRequested() override { return false; }

    std::uint32_t visits = 0;
    std::vector<std::string> found;
};

TEST(LongPaths, FilesWithAnyNameAndLengthAreReadAndMade) {
    ScratchFolder root("vqnames");
    // 337 bytes and more than 260 characters: the Cyrillic folders take two bytes a letter.
    const std::string deep = DeepFolder(root.Path(), 600);
    ASSERT_TRUE(MakeFolders(deep));
    for (const std::string& name : {kGreekName, kCjkName, kEmojiName}) {
        const std::string path = JoinPath(deep, name);
        ASSERT_TRUE(WriteBytes(path, "text of " + name)) << path;
        const FileHead head =
            ReadFileHead(SystemFiles(), path, OpenPurpose::kReadWritable, 64, nullptr);
        ASSERT_TRUE(head.result.done()) << name;
        EXPECT_EQ("text of " + name, std::string(head.head.begin(), head.head.end()));
        EXPECT_TRUE(SameFileOnDisk(path, JoinPath(deep, ".\\" + name))) << name;
    }
    // A new file is taken for new, and an existing one for another file.
    const std::string source = JoinPath(deep, kGreekName);
    const Destination fresh = DestinationOf(SystemFiles(), source, JoinPath(deep, "новый.txt"));
    EXPECT_EQ(SaveTarget::kNewFile, fresh.into);
    EXPECT_EQ(JoinPath(deep, "новый.txt"), fresh.path);
    EXPECT_EQ(SaveTarget::kOtherFile,
              DestinationOf(SystemFiles(), source, JoinPath(deep, kCjkName)).into);
    EXPECT_EQ(SaveTarget::kSource, DestinationOf(SystemFiles(), source, source).into);
}

TEST(LongPaths, TheWalkFindsEveryNameAtAnyDepth) {
    ScratchFolder root("vqnames");
    const std::string deep = DeepFolder(root.Path(), 500);
    ASSERT_TRUE(MakeFolders(deep));
    ASSERT_TRUE(WriteBytes(root.File(kCyrillicFolder + "\\" + kCjkName), "x" + kTrailer));
    ASSERT_TRUE(WriteBytes(JoinPath(deep, kEmojiName), "y" + kTrailer));
    ASSERT_TRUE(WriteBytes(JoinPath(deep, kGreekName), "plain"));

    FoundList observer;
    std::string folder = root.WithBackslash();
    ASSERT_TRUE(WalkTree(SystemScanFolders(), observer, folder));
    std::sort(observer.found.begin(), observer.found.end());
    std::vector<std::string> expected = {root.File(kCyrillicFolder + "\\" + kCjkName),
                                         JoinPath(deep, kEmojiName)};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, observer.found);
    const std::size_t folders = (deep.size() - root.Path().size()) / (kCyrillicFolder.size() + 1);
    // Every folder of the chain and the three files.
    EXPECT_EQ(folders + 3, EntriesOfVisits(observer.visits));
}

TEST(LongPaths, TheRecordsFolderIsMadeAndUsedAtAnyDepthAndInEveryForm) {
    ScratchFolder root("vqnames");
    const std::string deep = DeepFolder(root.Path(), 500);
    // The plain form, and the forms behind the long-path prefix; the folder is made from its
    // root down, whichever form it is given in.
    for (const std::string& folder :
         {JoinPath(deep, "Data"), "\\\\?\\" + JoinPath(deep, "Records 命令")}) {
        const std::unique_ptr<RecordFolder> records = OpenRecordFolder(folder);
        ASSERT_TRUE(records->Create()) << folder;
        EXPECT_EQ(CreateOutcome::kCreated, records->CreateExclusive("0.dat", "000003E8"));
        EXPECT_EQ(CreateOutcome::kTaken, records->CreateExclusive("0.dat", "000003E9"));
        std::unique_ptr<RecordEntry> entry = records->Open("0.dat");
        ASSERT_NE(nullptr, entry);
        std::string bytes;
        EXPECT_TRUE(entry->Read(bytes, 64));
        EXPECT_EQ("000003E8", bytes);
    }
    EXPECT_EQ("000003E8", ReadBytes(JoinPath(deep, "Data\\0.dat")).value_or("<none>"));
    EXPECT_EQ("000003E8", ReadBytes(JoinPath(deep, "Records 命令\\0.dat")).value_or("<none>"));
}

// The help file lies above the program's folder whatever its name and length, never above the
// root of the long-path forms.
TEST(LongPaths, TheHelpFileIsFoundAboveAProgramFolderOfAnyNameAndLength) {
    const std::string deep = DeepFolder("C:\\Программы", 400);
    EXPECT_EQ(deep + "\\Help\\Veilquill.chm", HelpPathForProgramFolder(JoinPath(deep, "命令行 😀")));
    EXPECT_EQ("\\\\?\\C:\\Help\\Veilquill.chm", HelpPathForProgramFolder("\\\\?\\C:\\Tool\\"));
    EXPECT_EQ("\\\\?\\C:\\Help\\Veilquill.chm", HelpPathForProgramFolder("\\\\?\\C:\\"));
    EXPECT_EQ("\\\\?\\UNC\\server\\share\\Help\\Veilquill.chm",
              HelpPathForProgramFolder("\\\\?\\UNC\\server\\share\\Tool"));
    EXPECT_EQ("\\\\?\\UNC\\server\\share\\Help\\Veilquill.chm",
              HelpPathForProgramFolder("\\\\?\\UNC\\server\\share\\"));
    EXPECT_EQ("", HelpPathForProgramFolder("\\\\?\\UNC\\server\\"));
}

TEST(LongPaths, TheProgramsFolderIsTheFolderOfItsPath) {
    const std::string folder = ProgramFolder(false);
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder + "\\", ProgramFolder(true));
    EXPECT_TRUE(FolderExists(folder));
    EXPECT_TRUE(FileExists(JoinPath(folder, "vq_win32_tests.exe")));
}

} // namespace
} // namespace vqtest
