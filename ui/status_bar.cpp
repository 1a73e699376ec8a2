#include "ui/status_bar.h"

#include <commctrl.h>

#include "resources/resource_ids.h"
#include "platform/win32_wide_text.h"

namespace {
// Right edges of the four parts in client pixels; the last one runs to the window's edge.
constexpr int kPartEdges[] = {195, 345, 370, -1};
constexpr int kPartCount = sizeof kPartEdges / sizeof kPartEdges[0];
} // namespace

HWND CreateStatusBar(HWND mainWindow, HINSTANCE instance) {
    HWND bar = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP,
                               0, 0, 0, 0, mainWindow,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUS_BAR)),
                               instance, nullptr);
    if (bar != nullptr) {
        int edges[kPartCount];
        for (int i = 0; i < kPartCount; ++i)
            edges[i] = kPartEdges[i];
        SendMessageW(bar, SB_SETPARTS, kPartCount, reinterpret_cast<LPARAM>(edges));
    }
    return bar;
}

void SetPaneText(HWND bar, int pane, const char* text) {
    const std::wstring wide = WideFromUtf8(text);
    SendMessageW(bar, SB_SETTEXTW, static_cast<WPARAM>(pane),
                 reinterpret_cast<LPARAM>(wide.c_str()));
}

void SetPaneIcon(HWND bar, HICON icon) {
    SendMessageW(bar, SB_SETICON, kPaneIcon, reinterpret_cast<LPARAM>(icon));
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
