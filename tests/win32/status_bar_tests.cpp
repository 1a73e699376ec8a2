// The status bar's operations, on a real window made in this process.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "resources/resource_ids.h"
#include "ui/status_bar.h"
#include "platform/win32_handles.h"

namespace vqtest {
namespace {

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
