// Files and folders dropped on the main window, as Explorer drops them: a dropped file loads
// as if chosen in the Open dialog, a dropped folder is scanned as if chosen in the browse
// dialog, and a drop whose button is unavailable changes nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/ui_driver.h"
#include "tests/support/control_ids.h"
#include "tests/support/expected_texts.h"
#include "tests/support/literal_cipher.h"

namespace vqtest {
namespace {

const std::string kPlainText = "A plain note to drop.\r\n";

class DropTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(program.Start());
        ASSERT_TRUE(MakeFolders(files.File("tree")));
        ASSERT_TRUE(WriteBytes(Plain(), kPlainText));
        ASSERT_TRUE(WriteBytes(files.File("tree\\locked.txt"), "cipher" + kTrailer));
    }

    HWND Main() const { return program.MainWindow(); }
    std::string Pane(int pane) const { return PaneText(program.StatusBar(), pane); }
    // Longer than a path handed over by name could be in older copies (127 characters): a drop
    // loads it whole.
    std::string Plain() const { return files.File("tree\\" + std::string(150, 'p') + ".txt"); }

    // Drops and keeps the block until the test ends, as the program reads it when it gets to it.
    void Drop(const std::vector<std::string>& paths) {
        drops.push_back(PostDrop(Main(), paths));
        ASSERT_TRUE(drops.back().Valid());
    }

    ProgramUnderTest program;
    ScratchFolder files{"drop"};
    std::vector<RemoteMemory> drops;
};

TEST_F(DropTest, ADroppedFolderIsScannedAndADroppedFileLoadsAsAfterOpen) {
    Drop({files.File("tree")});
    ASSERT_TRUE(WaitForPaneText(program.StatusBar(), 1, FoundText(1)));
    EXPECT_EQ(kScannedPrefix + "2", Pane(0));
    EXPECT_TRUE(IsControlShown(Main(), kResultsList));
    EXPECT_EQ((std::vector<std::string>{files.File("tree\\locked.txt")}),
              ListColumnTexts(program.ResultsList()));

    // Of several items the first is taken.
    Drop({Plain(), files.File("tree\\locked.txt")});
    ASSERT_TRUE(WaitForPaneText(program.StatusBar(), 0, FileNameTextOfPath(Plain())));
    EXPECT_EQ(kNotEncryptedText, Pane(1));
    EXPECT_FALSE(PaneHasIcon(program.StatusBar(), 2));
    EXPECT_EQ("  File Size:  " + std::to_string(kPlainText.size()) + "  bytes", Pane(3));
    EXPECT_EQ(kPlainText, ControlText(Main(), kDocumentView));
    EXPECT_TRUE(IsControlShown(Main(), kDocumentView));
    EXPECT_FALSE(IsControlShown(Main(), kResultsList));
    for (int id : {kEncrypt, kClear, kFindEncrypted})
        EXPECT_TRUE(IsControlEnabled(Main(), id)) << "button " << id;
    for (int id : {kOpenFile, kDecrypt, kSaveAs})
        EXPECT_FALSE(IsControlEnabled(Main(), id)) << "button " << id;
}

TEST_F(DropTest, ADropWhoseButtonIsUnavailableChangesNothing) {
    Drop({Plain()});
    ASSERT_TRUE(WaitForPaneText(program.StatusBar(), 0, FileNameTextOfPath(Plain())));
    ASSERT_FALSE(IsControlEnabled(Main(), kOpenFile));

    // "Open File" is disabled while a file is loaded.
    Drop({files.File("tree\\locked.txt")});
    // "Find Encrypted" disabled, as no command of the program leaves it yet.
    EnableWindow(Control(Main(), kFindEncrypted), FALSE);
    Drop({files.File("tree")});
    ASSERT_TRUE(RespondsWithin(Main()));
    Pause(500);
    EXPECT_EQ(FileNameTextOfPath(Plain()), Pane(0));
    EXPECT_EQ(kPlainText, ControlText(Main(), kDocumentView));
    EXPECT_TRUE(IsControlShown(Main(), kDocumentView));
    EXPECT_FALSE(IsControlShown(Main(), kResultsList));
    EXPECT_EQ(0, ListRowCount(program.ResultsList()));
    EXPECT_TRUE(IsControlEnabled(Main(), kEncrypt));
    EXPECT_TRUE(program.IsRunning());
}

} // namespace
} // namespace vqtest
