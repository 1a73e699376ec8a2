// The UI driver itself, tried on stand-ins that show the system dialogs the way Veilquill
// does: later tests rely on these helpers to reach the program's dialogs.
#include <gtest/gtest.h>

#include "driver/ui_driver.h"

namespace vqtest {
namespace {

// Runs the dialogs stand-in in one mode; its answer lands in a file of the test's folder.
class StandinDialog {
  public:
    StandinDialog(const std::string& mode, const std::string& extra = std::string()) {
        std::string arguments = mode + " \"" + Answer() + "\"";
        if (!extra.empty())
            arguments += " \"" + extra + "\"";
        const std::string exe = StandinPath("dialogs_standin");
        started_ = process_.Start(exe, QuotedCommandLine(exe, arguments), folder_.Path());
    }
    bool Started() const { return started_; }
    DWORD Pid() const { return process_.Pid(); }
    std::string Answer() const { return folder_.File("answer.txt"); }
    // The stand-in's answer once it has ended.
    std::string Result() {
        if (!process_.WaitForExit())
            return "(still running)";
        return ReadBytes(Answer()).value_or("(no answer)");
    }
    const ScratchFolder& Folder() const { return folder_; }

  private:
    ScratchFolder folder_{"standin"};
    ChildProcess process_;
    bool started_ = false;
};

TEST(Paths, UnixAndWindowsFormsConvert) {
    EXPECT_EQ("Z:\\tmp\\x\\a.txt", UnixToWindowsPath("/tmp/x/a.txt"));
    EXPECT_EQ("/tmp/x/a.txt", WindowsToUnixPath("Z:\\tmp\\x\\a.txt"));
    EXPECT_EQ("C:\\a", UnixToWindowsPath("C:\\a"));
    EXPECT_EQ("Z:\\tmp\\a", JoinPath("Z:\\tmp\\", "a"));
    EXPECT_EQ("Z:\\tmp\\a", JoinPath("Z:\\tmp", "a"));
}

TEST(Files, WriteReadListAndRemoveATree) {
    std::string root;
    {
        ScratchFolder folder("files");
        root = folder.Path();
        ASSERT_TRUE(FolderExists(root));
        ASSERT_TRUE(MakeFolders(folder.File("a\\b\\c")));
        const std::string bytes("x\0y\xDE\xAD", 5);
        ASSERT_TRUE(WriteBytes(folder.File("a\\b\\c\\f.bin"), bytes));
        EXPECT_EQ(bytes, ReadBytes(folder.File("a\\b\\c\\f.bin")).value_or(""));
        ASSERT_TRUE(WriteBytes(folder.File("a\\z.txt"), "z"));
        EXPECT_EQ((std::vector<std::string>{"b", "z.txt"}), SortedEntries(folder.File("a")));
        EXPECT_FALSE(ReadBytes(folder.File("missing")).has_value());
        EXPECT_TRUE(FileExists(folder.File("a\\z.txt")));
        EXPECT_FALSE(FileExists(folder.File("a")));
    }
    EXPECT_FALSE(FolderExists(root)) << "the temporary folder is removed with everything in it";
}

// Texts are carried across the process boundary whole, also far beyond 64 KiB (the view
// shows whole files).
TEST(Windows, LongTextsCrossTheProcessBoundaryWhole) {
    ProgramUnderTest program;
    ASSERT_TRUE(program.Start());
    std::string text;
    for (int line = 0; text.size() < 300000; ++line)
        text += "line " + std::to_string(line) + " of a long document\r\n";
    ASSERT_TRUE(SetWindowTextTo(program.DocumentView(), text));
    EXPECT_EQ(text, WindowText(program.DocumentView()));
}

TEST(Dialogs, OpenDialogTakesATypedPath) {
    ScratchFolder files("open");
    const std::string file = files.File("chosen file.txt");
    ASSERT_TRUE(WriteBytes(file, "hello"));
    StandinDialog standin("open");
    ASSERT_TRUE(standin.Started());
    HWND dialog = WaitForFileDialog(standin.Pid(), "Open");
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(ChooseFileInDialog(dialog, file));
    EXPECT_EQ(file, standin.Result());
}

TEST(Dialogs, OpenDialogCanBeCancelled) {
    StandinDialog standin("open");
    ASSERT_TRUE(standin.Started());
    HWND dialog = WaitForFileDialog(standin.Pid(), "Open");
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(CancelDialog(dialog));
    EXPECT_EQ("cancelled", standin.Result());
}

TEST(Dialogs, OpenDialogRefusesAMissingFileWithItsOwnMessage) {
    ScratchFolder files("open");
    StandinDialog standin("open");
    ASSERT_TRUE(standin.Started());
    HWND dialog = WaitForFileDialog(standin.Pid(), "Open");
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(ChooseFileInDialog(dialog, files.File("missing.txt")));
    HWND box = WaitForMessageBox(standin.Pid(), nullptr, "does not exist");
    ASSERT_NE(nullptr, box) << "the dialog complains about the missing file";
    ASSERT_TRUE(AnswerMessageBox(box, IDOK));
    ASSERT_TRUE(WaitForWindowGone(box));
    ASSERT_TRUE(CancelDialog(dialog));
    EXPECT_EQ("cancelled", standin.Result());
}

TEST(Dialogs, SaveAsDialogStartsOnThePathAndTakesANewOne) {
    ScratchFolder files("save");
    const std::string start = files.File("start.txt");
    ASSERT_TRUE(WriteBytes(start, "x"));
    StandinDialog standin("save", start);
    ASSERT_TRUE(standin.Started());
    HWND dialog = WaitForFileDialog(standin.Pid(), "Save As");
    ASSERT_NE(nullptr, dialog);
    HWND combo = FindDescendant(dialog, "ComboBoxEx32", 0x47c);
    ASSERT_NE(nullptr, combo);
    EXPECT_NE(std::string::npos, WindowText(FindDescendant(combo, "Edit")).find("start.txt"));
    ASSERT_TRUE(ChooseFileInDialog(dialog, files.File("other.txt")));
    EXPECT_EQ(files.File("other.txt"), standin.Result());
}

TEST(Dialogs, MessageBoxIsFoundByCaptionAndTextAndAnswered) {
    StandinDialog standin("message");
    ASSERT_TRUE(standin.Started());
    HWND box = WaitForMessageBox(standin.Pid(), "Stand-in", "Replace the");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("Replace the stand-in file?", MessageBoxText(box));
    ASSERT_TRUE(AnswerMessageBox(box, IDYES));
    EXPECT_EQ("yes", standin.Result());
}

TEST(Dialogs, BrowseForFolderReturnsTheFolderChosenInItsTree) {
    ScratchFolder files("browse");
    const std::string folder = files.File("Scan Root\\inner");
    ASSERT_TRUE(MakeFolders(folder));
    StandinDialog standin("browse");
    ASSERT_TRUE(standin.Started());
    HWND dialog = WaitForBrowseDialog(standin.Pid());
    ASSERT_NE(nullptr, dialog);
    EXPECT_NE(std::string::npos,
              MessageBoxText(dialog).find("To view sub-folders, click a plus sign."));
    ASSERT_TRUE(ChooseFolderInBrowser(dialog, folder));
    EXPECT_EQ(folder, standin.Result());
}

TEST(Dialogs, BrowseForFolderFailsCleanlyOnAMissingFolderAndCanBeCancelled) {
    ScratchFolder files("browse");
    StandinDialog standin("browse");
    ASSERT_TRUE(standin.Started());
    HWND dialog = WaitForBrowseDialog(standin.Pid());
    ASSERT_NE(nullptr, dialog);
    EXPECT_FALSE(SelectFolderInBrowser(dialog, files.File("no such folder")));
    ASSERT_TRUE(CancelDialog(dialog));
    EXPECT_EQ("cancelled", standin.Result());
}

TEST(PopupMenus, ContextMenuOpensAndItsItemIsChosenByKeyboard) {
    StandinDialog standin("menu");
    ASSERT_TRUE(standin.Started());
    HWND window = WaitForTopWindow(standin.Pid(), "StandinMenuWindow", "Stand-in menu");
    ASSERT_NE(nullptr, window);
    ASSERT_FALSE(IsPopupMenuOpen(standin.Pid()));
    ASSERT_TRUE(PostContextMenu(window));
    HWND menu = WaitForPopupMenu(standin.Pid());
    ASSERT_NE(nullptr, menu);
    ASSERT_TRUE(ChoosePopupMenuItem(menu, 1));
    EXPECT_EQ("command 1333", standin.Result());
}

TEST(PopupMenus, EscapeClosesTheMenuWithoutACommand) {
    StandinDialog standin("menu");
    ASSERT_TRUE(standin.Started());
    HWND window = WaitForTopWindow(standin.Pid(), "StandinMenuWindow", "Stand-in menu");
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(PostContextMenu(window));
    HWND menu = WaitForPopupMenu(standin.Pid());
    ASSERT_NE(nullptr, menu);
    ASSERT_TRUE(DismissPopupMenu(menu));
    ASSERT_TRUE(WaitForWindowGone(menu));
    EXPECT_TRUE(RespondsWithin(window));
    EXPECT_FALSE(FileExists(standin.Answer()));
}

TEST(Screen, CaptureShowsWhatIsOnTheScreen) {
    StandinDialog standin("message");
    ASSERT_TRUE(standin.Started());
    HWND box = WaitForMessageBox(standin.Pid(), "Stand-in", "");
    ASSERT_NE(nullptr, box);
    Pause(300);
    const RECT area = WindowRectOnScreen(box);
    const Image image = CaptureScreen(&area);
    ASSERT_EQ(area.right - area.left, image.width);
    ASSERT_EQ(area.bottom - area.top, image.height);
    const Image whole = CaptureScreen();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), whole.width);
    // The box's pixels are the same in both captures.
    const int x = image.width / 2, y = image.height / 2;
    EXPECT_EQ(image.Pixel(x, y), whole.Pixel(area.left + x, area.top + y));
    const std::string path = SaveScreenshot("ui_driver_message_box", box);
    ASSERT_FALSE(path.empty());
    const std::string bmp = ReadBytes(path).value_or("");
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ("BM", bmp.substr(0, 2));
    AnswerMessageBox(box, IDNO);
    EXPECT_EQ("no", standin.Result());
}

} // namespace
} // namespace vqtest
