// The About box and "Help" seen from outside: the box is modal and closes only through
// "Close"; its link takes the mouse with the hand and hands the vendor's address to the shell;
// "Help" hands the shell the guide in Help\ one level above the program's folder. What the
// shell starts is a stand-in registered in this Wine prefix for the test's duration.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <vector>

#include "driver/ui_driver.h"
#include "tests/support/control_ids.h"
#include "resources/resource_ids.h"

namespace vqtest {
namespace {

// Points a class's "open" command at another program while the object lives, then puts the
// previous command back (or removes the key it made).
class OpenCommandOverride {
  public:
    OpenCommandOverride(const std::string& progId, const std::string& command)
        : key_(progId + "\\shell\\open\\command") {
        HKEY key = nullptr;
        DWORD disposition = 0;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key_.c_str(), 0, nullptr, 0,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key,
                            &disposition) != ERROR_SUCCESS)
            return;
        created_ = disposition == REG_CREATED_NEW_KEY;
        char previous[1024] = {};
        DWORD size = sizeof previous - 1;
        DWORD type = 0;
        if (RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(previous),
                             &size) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ)) {
            previous_ = previous;
            previousType_ = type;
            hadValue_ = true;
        }
        ok_ =
            RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                           static_cast<DWORD>(command.size() + 1)) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    ~OpenCommandOverride() {
        if (created_) {
            RegDeleteKeyA(HKEY_CLASSES_ROOT, key_.c_str());
            return;
        }
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key_.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
            return;
        if (hadValue_)
            RegSetValueExA(key, nullptr, 0, previousType_,
                           reinterpret_cast<const BYTE*>(previous_.c_str()),
                           static_cast<DWORD>(previous_.size() + 1));
        else
            RegDeleteValueA(key, nullptr);
        RegCloseKey(key);
    }
    OpenCommandOverride(const OpenCommandOverride&) = delete;
    OpenCommandOverride& operator=(const OpenCommandOverride&) = delete;
    bool Ok() const { return ok_; }

  private:
    std::string key_;
    std::string previous_;
    DWORD previousType_ = REG_SZ;
    bool hadValue_ = false;
    bool created_ = false;
    bool ok_ = false;
};

// The class that the shell uses for a file extension (".chm" -> "chm.file").
std::string ProgIdOf(const char* extension) {
    char value[256] = {};
    LONG size = sizeof value;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, extension, value, &size) != ERROR_SUCCESS)
        return std::string();
    return value;
}

// A copy of the shell stand-in in a folder of its own; it logs every start to ShellOpen.log.
class ShellStandin {
  public:
    ShellStandin() : folder_("vqshell") {
        copied_ = CopyFileTo(StandinPath("about_shell_standin"), ExePath());
    }
    bool Copied() const { return copied_; }
    std::string ExePath() const { return folder_.File("open_standin.exe"); }
    std::string Command() const { return "\"" + ExePath() + "\" \"%1\""; }
    std::string Log() const { return ReadBytes(folder_.File("ShellOpen.log")).value_or(""); }
    bool WaitForLog(DWORD timeoutMs = kWaitMs) const {
        return WaitUntil([this] { return !Log().empty(); }, timeoutMs);
    }

  private:
    ScratchFolder folder_;
    bool copied_ = false;
};

POINT CentreOnScreen(HWND window) {
    const RECT rect = WindowRectOnScreen(window);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

HCURSOR CurrentCursor() {
    CURSORINFO info{};
    info.cbSize = sizeof info;
    return GetCursorInfo(&info) ? info.hCursor : nullptr;
}

// The cursor the system shows after the mouse has moved to `at` and come to rest. The
// program's thread sets it when it gets to the move, which under load may take a while:
// where the cursor is expected to change from `before`, this waits for the change (and
// returns `before` if it never comes).
HCURSOR CursorAt(POINT at, HCURSOR before = nullptr) {
    SetCursorPos(at.x, at.y);
    Pause(300);
    if (before != nullptr)
        WaitUntil([before] { return CurrentCursor() != before; }, 5000);
    return CurrentCursor();
}

class AboutTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(program_.Start());
        main_ = program_.MainWindow();
    }

    HWND OpenAbout() {
        EXPECT_TRUE(ClickControl(main_, kAbout));
        HWND box = WaitForAboutBox(program_.Pid());
        EXPECT_NE(nullptr, box) << "no About box";
        return box;
    }

    void CloseAbout(HWND box) {
        ASSERT_TRUE(ClickControl(box, IDC_ABOUT_CLOSE));
        ASSERT_TRUE(WaitForWindowGone(box));
        EXPECT_TRUE(WaitUntil([this] { return IsEnabled(main_); }))
            << "the main window stays disabled after the box closed";
    }

    ProgramUnderTest program_;
    HWND main_ = nullptr;
};

TEST_F(AboutTest, AboutIsModalAndOnlyCloseEndsIt) {
    HWND box = OpenAbout();
    ASSERT_NE(nullptr, box);
    SaveScreenshot("about_box", box);

    const std::string caption = WindowText(box);
    EXPECT_EQ(0u, caption.rfind("About Veilquill ", 0)) << caption;
    EXPECT_NE(std::string::npos, caption.find(" Version 1.0.1")) << caption;
    EXPECT_EQ(0, WindowStyle(box) & WS_SYSMENU) << "the box has no close box";
    EXPECT_EQ(main_, GetWindow(box, GW_OWNER));
    EXPECT_FALSE(IsEnabled(main_)) << "the main window is usable while the box is open";
    EXPECT_EQ("Close", ControlText(box, IDC_ABOUT_CLOSE));
    EXPECT_EQ(VQ_VENDOR_HOST, ControlText(box, IDC_VENDOR_LINK));

    // Escape and Enter, as keys to the box and to its button, and as the commands the dialog
    // manager makes of them.
    HWND close = Control(box, IDC_ABOUT_CLOSE);
    for (HWND target : {box, close}) {
        for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
            PostMessageA(target, WM_KEYDOWN, key, 1);
            PostMessageA(target, WM_KEYUP, key, 0xC0000001);
        }
    }
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    Pause(800);
    ASSERT_TRUE(IsWindow(box));
    EXPECT_TRUE(IsWindowVisible(box)) << "Escape or Enter closed the box";
    EXPECT_FALSE(IsEnabled(main_));

    CloseAbout(box);

    // A second time works the same, with its link subclassed again.
    box = OpenAbout();
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(HTCLIENT, SendMessageA(Control(box, IDC_VENDOR_LINK), WM_NCHITTEST, 0, 0));
    CloseAbout(box);
    EXPECT_TRUE(RespondsWithin(main_));
}

TEST_F(AboutTest, LinkTakesTheMouseWithTheHand) {
    HWND box = OpenAbout();
    ASSERT_NE(nullptr, box);
    HWND link = Control(box, IDC_VENDOR_LINK);
    HWND close = Control(box, IDC_ABOUT_CLOSE);
    HWND banner = FindDescendant(box, "Static", 0xFFFF);
    ASSERT_NE(nullptr, banner);

    const POINT overLink = CentreOnScreen(link);
    EXPECT_EQ(HTCLIENT, SendMessageA(link, WM_NCHITTEST, 0, MAKELPARAM(overLink.x, overLink.y)));
    EXPECT_EQ(HTTRANSPARENT, SendMessageA(banner, WM_NCHITTEST, 0, 0))
        << "the banner passes the mouse on to the box";

    // Move the real pointer: the program's thread then sets the cursor of the window below it.
    // The pointer starts over the button, wherever an earlier test left it.
    const HCURSOR startOnClose = CursorAt(CentreOnScreen(close));
    const HCURSOR onLink = CursorAt(overLink, startOnClose);
    const HCURSOR onBanner = CursorAt(CentreOnScreen(banner), onLink);
    const HCURSOR onClose = CursorAt(CentreOnScreen(close));
    const HCURSOR backOnLink = CursorAt(overLink, onClose);
    ASSERT_NE(nullptr, onLink) << "no cursor could be observed";
    EXPECT_NE(onBanner, onLink) << "the link shows the box's own cursor";
    EXPECT_EQ(onBanner, onClose) << "the box and its button show different cursors";
    EXPECT_EQ(onLink, backOnLink);
    // The cursor handles belong to the program; this process's own hand and arrow may or may
    // not carry the same handles.
    std::cout << "cursor on link " << onLink << ", elsewhere " << onBanner << "; here hand "
              << LoadCursorA(nullptr, IDC_HAND) << ", arrow " << LoadCursorA(nullptr, IDC_ARROW)
              << "\n";

    CloseAbout(box);
}

// Looks at the pixels: blue text, a blue line under it, on the button-face colour.
TEST_F(AboutTest, LinkIsDrawnBlueAndUnderlinedOnButtonFace) {
    HWND box = OpenAbout();
    ASSERT_NE(nullptr, box);
    HWND link = Control(box, IDC_VENDOR_LINK);
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    ASSERT_TRUE(RespondsWithin(box));
    Pause(300);
    const RECT area = WindowRectOnScreen(link);
    const Image image = CaptureScreen(&area);
    ASSERT_FALSE(image.Empty());
    SaveScreenshot("about_link", box);

    auto isBlue = [](COLORREF c) {
        return GetRValue(c) < 90 && GetGValue(c) < 90 && GetBValue(c) > 170;
    };
    int left = image.width, right = -1;
    std::vector<int> bluePerRow(image.height, 0);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (!isBlue(image.Pixel(x, y)))
                continue;
            ++bluePerRow[y];
            left = std::min(left, x);
            right = std::max(right, x);
        }
    }
    ASSERT_GE(right, left) << "no blue text in the link";
    const int textWidth = right - left + 1;
    EXPECT_GT(textWidth, image.width / 3) << "the link's text is cut short";
    const int longestRow = *std::max_element(bluePerRow.begin(), bluePerRow.end());
    EXPECT_GE(longestRow, textWidth * 9 / 10) << "no underline below the link's text";
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), image.Pixel(0, 0)) << "not on the button face";
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), image.Pixel(image.width - 1, image.height - 1));
    CloseAbout(box);
}

TEST_F(AboutTest, LinkClickHandsTheVendorAddressToTheShell) {
    ShellStandin standin;
    ASSERT_TRUE(standin.Copied());
    OpenCommandOverride http("http", standin.Command());
    OpenCommandOverride https("https", standin.Command());
    ASSERT_TRUE(http.Ok() && https.Ok());

    HWND box = OpenAbout();
    ASSERT_NE(nullptr, box);
    HWND link = Control(box, IDC_VENDOR_LINK);
    const RECT rect = RectInParent(link);
    const LPARAM inside = MAKELPARAM((rect.right - rect.left) / 2, (rect.bottom - rect.top) / 2);
    PostMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    PostMessageA(link, WM_LBUTTONUP, 0, inside);

    ASSERT_TRUE(standin.WaitForLog()) << "the shell started nothing for the link";
    const std::string log = standin.Log();
    std::cout << "the shell was asked for: " << log;
    EXPECT_NE(std::string::npos, log.find(VQ_VENDOR_HOST)) << log;
    Pause(300);
    EXPECT_EQ(1, std::count(log.begin(), log.end(), '\n')) << "one click, one start:\n" << log;

    EXPECT_TRUE(IsWindow(box) && IsWindowVisible(box)) << "the click closed the box";
    EXPECT_FALSE(IsEnabled(main_));
    CloseAbout(box);
}

TEST_F(AboutTest, HelpOpensTheGuideOneLevelAboveTheProgramsFolder) {
    ShellStandin standin;
    ASSERT_TRUE(standin.Copied());
    const std::string progId = ProgIdOf(".chm");
    ASSERT_FALSE(progId.empty()) << "this prefix knows no .chm";
    OpenCommandOverride chm(progId, standin.Command());
    ASSERT_TRUE(chm.Ok());

    // The guide the build made, where an installation keeps it.
    const std::string built =
        JoinPath(UnixToWindowsPath(EnvironmentValue("VQ_BUILD_DIR")), "Help\\Veilquill.chm");
    const std::string guide = JoinPath(program_.Root(), "Help\\Veilquill.chm");
    ASSERT_TRUE(MakeFolders(JoinPath(program_.Root(), "Help")));
    ASSERT_TRUE(CopyFileTo(built, guide)) << built;

    ASSERT_TRUE(ClickControl(main_, kHelp));
    ASSERT_TRUE(standin.WaitForLog()) << "the shell started nothing for Help";
    const std::string log = standin.Log();
    EXPECT_EQ("\"" + standin.ExePath() + "\" \"" + guide + "\"\n", log);

    // Nothing of the program's own shows up, and it goes on working.
    Pause(300);
    EXPECT_TRUE(RespondsWithin(main_));
    EXPECT_TRUE(IsEnabled(main_));
    EXPECT_EQ(1u, TopWindows(program_.Pid()).size());
}

// Help asks again at every press; a missing guide makes the program show nothing itself.
TEST_F(AboutTest, HelpWithoutTheGuideShowsNothingOfItsOwn) {
    ASSERT_TRUE(ClickControl(main_, kHelp));
    Pause(1500);
    EXPECT_TRUE(RespondsWithin(main_));
    const std::vector<HWND> windows = TopWindows(program_.Pid());
    EXPECT_EQ(1u, windows.size()) << "something appeared beside the main window";
}

} // namespace
} // namespace vqtest
