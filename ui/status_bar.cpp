#include "ui/status_bar.h"

#include <commctrl.h>

#include "resources/resource_ids.h"
#include "ui/status_texts.h"

namespace {
// Right edges of the four parts in client pixels; the last one runs to the window's edge.
constexpr int kPartEdges[] = {195, 345, 370, -1};
constexpr int kPartCount = sizeof kPartEdges / sizeof kPartEdges[0];
} // namespace

HWND CreateStatusBar(HWND mainWindow, HINSTANCE instance) {
    HWND bar = CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP,
                               0, 0, 0, 0, mainWindow,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUS_BAR)),
                               instance, nullptr);
    if (bar != nullptr) {
        int edges[kPartCount];
        for (int i = 0; i < kPartCount; ++i)
            edges[i] = kPartEdges[i];
        SendMessageA(bar, SB_SETPARTS, kPartCount, reinterpret_cast<LPARAM>(edges));
    }
    return bar;
}

void SetPaneText(HWND bar, int pane, const char* text) {
    SendMessageA(bar, SB_SETTEXTA, static_cast<WPARAM>(pane), reinterpret_cast<LPARAM>(text));
}

void SetPaneIcon(HWND bar, HICON icon) {
    SendMessageA(bar, SB_SETICON, kPaneIcon, reinterpret_cast<LPARAM>(icon));
}

void ShowEncryptedIcon(const WindowParts& window, bool shown) {
    SetPaneIcon(window.statusBar, shown ? window.encryptedIcon.get() : nullptr);
}

void ClearAllPanes(HWND bar) {
    SetPaneText(bar, kPaneName, kBlankPaneText);
    SetPaneText(bar, kPaneState, kBlankPaneText);
    SetPaneIcon(bar, nullptr);
    SetPaneText(bar, kPaneSize, kBlankPaneText);
}
