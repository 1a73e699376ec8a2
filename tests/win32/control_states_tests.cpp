// The button states of every event and the status bar's operations, on real windows made in
// this process.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "ui/control_states.h"
#include "ui/status_bar.h"
#include "ui/status_texts.h"
#include "util/win_handles.h"

namespace vqtest {
namespace {

// A window with the main window's ten buttons, all enabled and shown to begin with.
class ButtonWindow {
  public:
    ButtonWindow() {
        window_.reset(CreateWindowExA(0, "STATIC", "buttons", WS_POPUP, 0, 0, 400, 400, nullptr,
                                      nullptr, GetModuleHandleA(nullptr), nullptr));
        for (int id = IDC_BTN_SAVE_AS; id <= IDC_BTN_STOP_FIND; ++id)
            CreateWindowExA(0, "BUTTON", "b", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0,
                            (id - IDC_BTN_SAVE_AS) * 20, 60, 16, Get(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }
    HWND Get() const { return window_.get(); }

    void SetAll(bool enabled) {
        for (int id = IDC_BTN_SAVE_AS; id <= IDC_BTN_STOP_FIND; ++id)
            EnableWindow(GetDlgItem(Get(), id), enabled);
    }

    // One letter per button, in the order Save As, Clear, Open File, Encrypt, Decrypt, Find
    // Encrypted ('1' enabled, '0' disabled), then which find button shows ('F' Find Encrypted,
    // 'S' Stop Find, '?' both or neither), then Exit, About and Help.
    std::string Picture() const {
        std::string picture;
        for (int id : {IDC_BTN_SAVE_AS, IDC_BTN_CLEAR, IDC_BTN_OPEN_FILE, IDC_BTN_ENCRYPT,
                       IDC_BTN_DECRYPT, IDC_BTN_FIND_ENCRYPTED})
            picture += IsWindowEnabled(GetDlgItem(Get(), id)) ? '1' : '0';
        const bool find = Shown(IDC_BTN_FIND_ENCRYPTED), stop = Shown(IDC_BTN_STOP_FIND);
        picture += ' ';
        picture += find && !stop ? 'F' : stop && !find ? 'S' : '?';
        picture += ' ';
        for (int id : {IDC_BTN_EXIT, IDC_BTN_ABOUT, IDC_BTN_HELP})
            picture += IsWindowEnabled(GetDlgItem(Get(), id)) ? '1' : '0';
        return picture;
    }

    void ShowFind(bool find) {
        ShowWindow(GetDlgItem(Get(), IDC_BTN_FIND_ENCRYPTED), find ? SW_SHOW : SW_HIDE);
        ShowWindow(GetDlgItem(Get(), IDC_BTN_STOP_FIND), find ? SW_HIDE : SW_SHOW);
    }

  private:
    bool Shown(int id) const {
        return (GetWindowLongPtrA(GetDlgItem(Get(), id), GWL_STYLE) & WS_VISIBLE) != 0;
    }

    UniqueWindow window_;
};

struct EventRow {
    ButtonEvent event;
    const char* name;
    // Save As, Clear, Open File, Encrypt, Decrypt, Find Encrypted: '1' on, '0' off, '-' kept;
    // then the find button shown: 'F', 'S' or '-' kept.
    const char* changes;
};

// The button changes of each event, as the program's table of states lists them.
constexpr EventRow kEvents[] = {
    {ButtonEvent::Startup, "start-up", "00100-F"},
    {ButtonEvent::LoadFileChosen, "load: file chosen", "--000--"},
    {ButtonEvent::LoadEndedWithout, "load: cancelled, failed or empty", "-0100--"},
    {ButtonEvent::LoadSucceededPlain, "load: plain file", "01-10--"},
    {ButtonEvent::LoadSucceededEncrypted, "load: encrypted file", "01-01--"},
    {ButtonEvent::EncryptCompleted, "encrypt completed", "1--0---"},
    {ButtonEvent::DecryptVerified, "decrypt verified", "1---0--"},
    {ButtonEvent::DecryptNotCompleted, "decrypt not completed", "0--0---"},
    {ButtonEvent::EncryptedSave, "encrypted save", "0-101--"},
    {ButtonEvent::DecryptedSave, "decrypted save", "0-110--"},
    {ButtonEvent::Clear, "Clear", "001001F"},
    {ButtonEvent::BrowseCancelled, "browse cancelled", "00100--"},
    {ButtonEvent::ScanStarted, "scan started", "01-00-S"},
    {ButtonEvent::ScanEnded, "scan finished or stopped", "------F"},
};

// What the window shows after the event, from all buttons `before` and the other find
// button showing.
std::string Expected(const char* changes, bool before, bool findShownBefore) {
    std::string picture;
    for (int i = 0; i < 6; ++i)
        picture += changes[i] == '-' ? (before ? '1' : '0') : changes[i];
    picture += ' ';
    picture += changes[6] == '-' ? (findShownBefore ? 'F' : 'S') : changes[6];
    picture += ' ';
    picture += before ? "111" : "000"; // Exit, About and Help are never touched
    return picture;
}

TEST(ButtonStates, EachEventChangesExactlyItsButtonsAndKeepsTheOthers) {
    ButtonWindow buttons;
    for (const EventRow& row : kEvents) {
        for (bool before : {true, false}) {
            for (bool findShown : {true, false}) {
                buttons.SetAll(before);
                buttons.ShowFind(findShown);
                ApplyButtonEvent(buttons.Get(), row.event);
                EXPECT_EQ(Expected(row.changes, before, findShown), buttons.Picture())
                    << row.name << ", all buttons " << (before ? "on" : "off") << " and "
                    << (findShown ? "Find Encrypted" : "Stop Find") << " shown before";
            }
        }
    }
}

// A parent window with the status bar, and an icon for its pane 2.
class StatusBarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        parent_.reset(CreateWindowExA(0, "STATIC", "parent", WS_OVERLAPPED | WS_CAPTION, 0, 0, 640,
                                      430, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
        ASSERT_NE(nullptr, parent_.get());
        bar_ = CreateStatusBar(parent_.get(), GetModuleHandleA(nullptr));
        ASSERT_NE(nullptr, bar_);
        icon_ = LoadIconA(nullptr, MAKEINTRESOURCEA(32512)); // IDI_APPLICATION
    }
    void TearDown() override { parent_.reset(); }

    std::string Text(int pane) const {
        char text[256] = {};
        SendMessageA(bar_, SB_GETTEXTA, pane, reinterpret_cast<LPARAM>(text));
        return text;
    }
    bool HasIcon(int pane) const { return SendMessageA(bar_, SB_GETICON, pane, 0) != 0; }

    UniqueWindow parent_;
    HWND bar_ = nullptr;
    HICON icon_ = nullptr;
};

TEST_F(StatusBarTest, PaneTextsAndTheIconComeAndGo) {
    SetPaneText(bar_, kPaneName, "  File Name:  a.txt");
    SetPaneText(bar_, kPaneSize, "  File Size:  1,234  bytes");
    EXPECT_EQ("  File Name:  a.txt", Text(kPaneName));
    EXPECT_EQ("  File Size:  1,234  bytes", Text(kPaneSize));
    SetPaneIcon(bar_, icon_);
    EXPECT_TRUE(HasIcon(kPaneIcon));
    EXPECT_FALSE(HasIcon(kPaneName));
    SetPaneIcon(bar_, nullptr);
    EXPECT_FALSE(HasIcon(kPaneIcon));
}

TEST_F(StatusBarTest, ClearAllPanesLeavesOneSpaceInEachTextPaneAndNoIcon) {
    for (int pane : {kPaneName, kPaneState, kPaneSize})
        SetPaneText(bar_, pane, "something");
    SetPaneIcon(bar_, icon_);
    ClearAllPanes(bar_);
    for (int pane : {kPaneName, kPaneState, kPaneSize})
        EXPECT_EQ(" ", Text(pane)) << "pane " << pane;
    EXPECT_FALSE(HasIcon(kPaneIcon));
    ClearAllPanes(bar_); // clearing what is clear changes nothing
    EXPECT_EQ(" ", Text(kPaneName));
    EXPECT_FALSE(HasIcon(kPaneIcon));
}

} // namespace
} // namespace vqtest
