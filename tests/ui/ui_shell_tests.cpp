// The application shell seen from outside: the main window after start-up, "Clear", the ways
// out, the status bar's parts and the companion program.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <iostream>
#include <set>

#include "driver/ui_driver.h"
#include "tests/support/control_ids.h"
#include "tests/support/expected_texts.h"

namespace vqtest {
namespace {

struct TemplateControl {
    int id;
    const char* className;
    const char* text;
    int x, y, width, height;
};

// The dialog base units of the template's font, 8-point "MS Sans Serif", worked out as the
// dialog manager does: the average width of the 52 letters and the font's height.
struct BaseUnits {
    int x = 0;
    int y = 0;
};
BaseUnits TemplateFontBaseUnits() {
    BaseUnits units;
    const UniqueWindowDc screenDc = GetWindowDc(nullptr);
    const HDC screen = screenDc.get().value;
    const int height = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    const UniqueFont font(CreateFontA(
        height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif"));
    const UniqueSelection selection = SelectInto(screen, font.get());
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE extent{};
    TEXTMETRICA metrics{};
    GetTextExtentPoint32A(screen, kLetters, 52, &extent);
    GetTextMetricsA(screen, &metrics);
    units.x = (extent.cx / 26 + 1) / 2;
    units.y = metrics.tmHeight;
    return units;
}

// The main window's template in creation order, geometry in dialog units.
constexpr TemplateControl kMainControls[] = {
    {kSaveAs, "Button", "Save As", 5, 136, 65, 16},
    {kClear, "Button", "Clear", 5, 76, 65, 16},
    {kExit, "Button", "Exit", 5, 216, 65, 16},
    {kDocumentView, "Edit", "", 76, 56, 286, 176},
    {kOpenFile, "Button", "Open File", 5, 56, 65, 16},
    {kEncrypt, "Button", "Encrypt", 5, 96, 65, 16},
    {kDecrypt, "Button", "Decrypt", 5, 116, 65, 16},
    {kAbout, "Button", "About", 5, 176, 65, 16},
    {kHelp, "Button", "Help", 5, 196, 65, 16},
    {-1, "Static", nullptr, 4, 4, 358, 47},
    {kFindEncrypted, "Button", "Find Encrypted", 6, 156, 65, 16},
    {kResultsList, "SysListView32", nullptr, 76, 56, 286, 176},
    {kStopFind, "Button", "Stop Find", 6, 156, 65, 16},
};

// A pane text put in from outside, as another part of the program would.
void PutPaneText(HWND statusBar, int pane, const std::string& text) {
    RemoteMemory block(statusBar, text.size() + 1);
    ASSERT_TRUE(block.Write(text.c_str(), text.size() + 1));
    SendMessageA(statusBar, SB_SETTEXTA, pane, block.Param());
}

void AddListRow(HWND list, const std::string& text) {
    RemoteMemory block(list, sizeof(LVITEMA) + text.size() + 1);
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = ListRowCount(list);
    item.pszText = static_cast<char*>(block.Address(sizeof item));
    ASSERT_TRUE(block.Write(&item, sizeof item));
    ASSERT_TRUE(block.Write(text.c_str(), text.size() + 1, sizeof item));
    ASSERT_NE(-1, SendMessageA(list, LVM_INSERTITEMA, 0, block.Param()));
}

std::string CompanionLog(const ProgramUnderTest& program) {
    return ReadBytes(program.InFolder("SendTo.log")).value_or("");
}

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(program.Start()); }
    HWND Main() const { return program.MainWindow(); }

    ProgramUnderTest program;
};

TEST_F(ShellTest, StartsWithTheFirstButtonStatesAnEmptyViewAndBlankPanes) {
    for (int id : {kOpenFile, kExit, kAbout, kHelp, kFindEncrypted})
        EXPECT_TRUE(IsControlEnabled(Main(), id)) << "button " << id;
    for (int id : {kSaveAs, kClear, kEncrypt, kDecrypt})
        EXPECT_FALSE(IsControlEnabled(Main(), id)) << "button " << id;

    EXPECT_TRUE(IsControlShown(Main(), kDocumentView));
    EXPECT_EQ("", ControlText(Main(), kDocumentView));
    EXPECT_FALSE(IsControlShown(Main(), kResultsList));
    EXPECT_EQ(0, ListRowCount(program.ResultsList()));

    HWND bar = program.StatusBar();
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(IsShown(bar));
    for (int pane = 0; pane < 4; ++pane)
        EXPECT_TRUE(IsBlankPane(PaneText(bar, pane)))
            << "pane " << pane << ": '" << PaneText(bar, pane) << "'";
    EXPECT_FALSE(PaneHasIcon(bar, 2));
}

TEST_F(ShellTest, EachHiddenControlLiesExactlyUnderItsVisiblePartner) {
    EXPECT_TRUE(IsControlShown(Main(), kFindEncrypted));
    EXPECT_FALSE(IsControlShown(Main(), kStopFind));
    EXPECT_TRUE(SameRect(ControlRect(Main(), kDocumentView), ControlRect(Main(), kResultsList)))
        << RectText(ControlRect(Main(), kDocumentView)) << " vs "
        << RectText(ControlRect(Main(), kResultsList));
    EXPECT_TRUE(SameRect(ControlRect(Main(), kFindEncrypted), ControlRect(Main(), kStopFind)))
        << RectText(ControlRect(Main(), kFindEncrypted)) << " vs "
        << RectText(ControlRect(Main(), kStopFind));
}

TEST_F(ShellTest, StatusBarHasFourPartsEndingAt195_345_370AndTheRightEdge) {
    EXPECT_EQ((std::vector<int>{195, 345, 370, -1}), PartEdges(program.StatusBar()));
    const RECT client = [&] {
        RECT r{};
        GetClientRect(Main(), &r);
        return r;
    }();
    const RECT bar = RectInParent(program.StatusBar());
    EXPECT_EQ(client.bottom, bar.bottom) << "the status bar lies at the bottom of the window";
    EXPECT_EQ(client.right - client.left, bar.right - bar.left);
}

TEST_F(ShellTest, WindowIsAFixedSizeCaptionedWindowWithACloseBoxAndNoMenuBar) {
    EXPECT_EQ("Veilquill", WindowText(Main()));
    EXPECT_EQ(nullptr, GetMenu(Main()));
    const LONG_PTR style = WindowStyle(Main());
    EXPECT_EQ(WS_CAPTION, style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_THICKFRAME) << "no sizing border";
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_POPUP);
    EXPECT_EQ(0, WindowExStyle(Main()) & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST));

    // The frame offers no handle to drag: every edge and corner answers as a plain border.
    const RECT frame = WindowRectOnScreen(Main());
    const POINT edges[] = {{frame.left, (frame.top + frame.bottom) / 2},
                           {frame.right - 1, (frame.top + frame.bottom) / 2},
                           {(frame.left + frame.right) / 2, frame.bottom - 1},
                           {frame.right - 1, frame.bottom - 1}};
    for (const POINT& p : edges) {
        const LRESULT hit = SendMessageA(Main(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
        EXPECT_FALSE(hit >= HTLEFT && hit <= HTBOTTOMRIGHT)
            << "hit test " << hit << " at " << p.x << "," << p.y;
    }
}

// The controls come from the template in its order, with its texts and geometry, as plain
// push buttons that are no tab stops.
TEST_F(ShellTest, ControlsFollowTheTemplate) {
    std::vector<HWND> controls;
    for (HWND child : ChildWindows(Main())) {
        if (GetDlgCtrlID(child) != kStatusBar)
            controls.push_back(child);
    }
    ASSERT_EQ(std::size(kMainControls), controls.size());

    const BaseUnits units = TemplateFontBaseUnits();
    const auto pixelsX = [&](int dialogUnits) { return MulDiv(dialogUnits, units.x, 4); };
    const auto pixelsY = [&](int dialogUnits) { return MulDiv(dialogUnits, units.y, 8); };
    const RECT banner = RectInParent(controls[9]);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const TemplateControl& expected = kMainControls[i];
        HWND control = controls[i];
        SCOPED_TRACE("control " + std::to_string(i) + " id " + std::to_string(expected.id));
        EXPECT_EQ(expected.id, static_cast<short>(GetDlgCtrlID(control)));
        EXPECT_EQ(0, lstrcmpiA(expected.className, WindowClass(control).c_str()))
            << WindowClass(control);
        if (expected.text != nullptr) {
            EXPECT_EQ(expected.text, WindowText(control));
        }
        const LONG_PTR style = WindowStyle(control);
        EXPECT_TRUE(style & WS_CHILD);
        EXPECT_FALSE(style & WS_TABSTOP);
        EXPECT_FALSE(style & WS_GROUP);
        EXPECT_EQ(0, WindowExStyle(control) & ~WS_EX_NOPARENTNOTIFY & ~WS_EX_CLIENTEDGE);
        if (std::string(expected.className) == "Button") {
            EXPECT_EQ(BS_PUSHBUTTON, style & BS_TYPEMASK);
        }

        // A bitmap static takes its bitmap's size; only its position is fixed.
        const RECT rect = RectInParent(control);
        EXPECT_EQ(pixelsX(expected.x), rect.left);
        EXPECT_EQ(pixelsY(expected.y), rect.top);
        if (expected.id != -1) {
            EXPECT_EQ(pixelsX(expected.width), rect.right - rect.left);
            EXPECT_EQ(pixelsY(expected.height), rect.bottom - rect.top);
        }
    }
    const LONG_PTR viewStyle = WindowStyle(Control(Main(), kDocumentView));
    EXPECT_TRUE(viewStyle & ES_MULTILINE);
    EXPECT_TRUE(viewStyle & WS_VSCROLL);
    EXPECT_FALSE(viewStyle & (ES_AUTOHSCROLL | WS_HSCROLL | ES_READONLY));
    EXPECT_TRUE(WindowStyle(Control(Main(), kResultsList)) & LVS_REPORT);
    EXPECT_TRUE(WindowStyle(controls[9]) & SS_BITMAP);
    EXPECT_GT(banner.right - banner.left, 300) << "the banner shows its picture";
}

// "Clear" from a state the later commands leave behind: text in the view, rows in the list,
// texts in the panes, "Stop Find" showing and the other buttons the wrong way round.
TEST_F(ShellTest, ClearEmptiesEverythingAndResetsTheButtons) {
    HWND list = program.ResultsList();
    HWND bar = program.StatusBar();
    ASSERT_TRUE(SetControlText(Main(), kDocumentView, "left over text"));
    AddListRow(list, "Z:\\somewhere\\a.txt");
    AddListRow(list, "Z:\\somewhere\\b.txt");
    PutPaneText(bar, 0, "  File Name:  a.txt");
    PutPaneText(bar, 1, "      This file is encrypted.");
    PutPaneText(bar, 3, "  File Size:  12  bytes");
    for (int id : {kSaveAs, kClear, kEncrypt, kDecrypt})
        EnableWindow(Control(Main(), id), TRUE);
    for (int id : {kOpenFile, kFindEncrypted})
        EnableWindow(Control(Main(), id), FALSE);
    ShowWindow(Control(Main(), kFindEncrypted), SW_HIDE);
    ShowWindow(Control(Main(), kStopFind), SW_SHOW);
    ShowWindow(Control(Main(), kDocumentView), SW_HIDE);
    ShowWindow(list, SW_SHOW);
    ASSERT_TRUE(WaitUntil([&] { return IsControlEnabled(Main(), kClear); }));
    ASSERT_EQ(2, ListRowCount(list));

    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));

    EXPECT_EQ("", ControlText(Main(), kDocumentView));
    EXPECT_EQ(0, ListRowCount(list));
    for (int id : {kSaveAs, kClear, kEncrypt, kDecrypt})
        EXPECT_FALSE(IsControlEnabled(Main(), id)) << "button " << id;
    for (int id : {kOpenFile, kFindEncrypted, kExit, kAbout, kHelp})
        EXPECT_TRUE(IsControlEnabled(Main(), id)) << "button " << id;
    EXPECT_TRUE(IsControlShown(Main(), kFindEncrypted));
    EXPECT_FALSE(IsControlShown(Main(), kStopFind));
    for (int pane : {0, 1, 3})
        EXPECT_EQ(" ", PaneText(bar, pane)) << "pane " << pane;
    EXPECT_FALSE(PaneHasIcon(bar, 2));
    // Which of the two views shows is not Clear's business.
    EXPECT_TRUE(IsShown(list));
    EXPECT_FALSE(IsControlShown(Main(), kDocumentView));
    EXPECT_FALSE(ClickControl(Main(), kClear)) << "Clear disables itself";
    EXPECT_TRUE(program.IsRunning());
}

TEST_F(ShellTest, ExitEndsTheProgramWithCodeZero) {
    ASSERT_TRUE(ClickControl(Main(), kExit));
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(0u, program.ExitCode().value_or(99));
}

TEST_F(ShellTest, CloseMessageEndsTheProgramWithCodeZero) {
    ASSERT_TRUE(PostMessageA(Main(), WM_CLOSE, 0, 0));
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(0u, program.ExitCode().value_or(99));
}

TEST_F(ShellTest, CloseBoxOfTheSystemMenuEndsTheProgramWithCodeZero) {
    ASSERT_TRUE(PostMessageA(Main(), WM_SYSCOMMAND, SC_CLOSE, 0));
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(0u, program.ExitCode().value_or(99));
}

// Menu commands and the list's messages that find nothing to act on leave the program as it
// was.
TEST_F(ShellTest, StrayCommandsAndAContextMenuWithoutSelectionChangeNothing) {
    PostMessageA(Main(), WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    PostMessageA(Main(), WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    PostMessageA(Main(), WM_COMMAND, MAKEWPARAM(1333, 0), 0);
    ASSERT_TRUE(PostContextMenu(Main()));
    ASSERT_TRUE(RespondsWithin(Main()));
    Pause(300);
    EXPECT_FALSE(IsPopupMenuOpen(program.Pid()));
    EXPECT_TRUE(program.IsRunning());
    EXPECT_TRUE(IsControlEnabled(Main(), kOpenFile));
    EXPECT_FALSE(IsControlEnabled(Main(), kClear));
    EXPECT_TRUE(IsControlShown(Main(), kDocumentView));
}

TEST_F(ShellTest, SavesAScreenshotOfTheMainWindowForReview) {
    ASSERT_TRUE(RespondsWithin(Main()));
    Pause(300); // let the last paint reach the screen
    const std::string path = SaveScreenshot("ui_shell_main_window", Main());
    ASSERT_FALSE(path.empty());
    SaveScreenshot("ui_shell_screen");
    std::cout << "screenshot: " << path << "\n";

    // A real picture, not a blank capture: the banner, the buttons and the view differ.
    const RECT area = WindowRectOnScreen(Main());
    const Image image = CaptureScreen(&area);
    ASSERT_FALSE(image.Empty());
    std::set<COLORREF> colours;
    for (int y = 0; y < image.height; y += 3)
        for (int x = 0; x < image.width; x += 3)
            colours.insert(image.Pixel(x, y));
    EXPECT_GT(colours.size(), 8u);
}

// The companion program beside Veilquill, started once per start with the command line "qj".
TEST(Companion, IsStartedOnceWithTheCommandLineQj) {
    ProgramUnderTest program;
    ASSERT_TRUE(program.PlaceBeside(StandinPath("sendto_standin"), "SendTo.exe"));
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(WaitUntil([&] { return !CompanionLog(program).empty(); }));
    Pause(500); // a second start would show by now
    EXPECT_EQ("qj\n", CompanionLog(program));
    ASSERT_TRUE(ClickControl(program.MainWindow(), kExit));
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ("qj\n", CompanionLog(program));
}

TEST(Companion, AMissingCompanionIsIgnored) {
    ProgramUnderTest program;
    ASSERT_FALSE(FileExists(program.InFolder("SendTo.exe")));
    ASSERT_TRUE(program.Start());
    Pause(300);
    EXPECT_TRUE(program.IsRunning());
    EXPECT_EQ((std::vector<HWND>{program.MainWindow()}), TopWindows(program.Pid()))
        << "no message about the companion";
    EXPECT_TRUE(IsControlEnabled(program.MainWindow(), kOpenFile));
    ASSERT_TRUE(ClickControl(program.MainWindow(), kExit));
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(0u, program.ExitCode().value_or(99));
}

} // namespace
} // namespace vqtest
