#include "ui/status_bar.h"

#include <commctrl.h>

#include "app/app_state.h"
#include "resources/resource_ids.h"
#include "ui/status_texts.h"

namespace {
// Right edges of the four parts in client pixels; the last one runs to the window's edge.
constexpr int kPartEdges[] = {195, 345, 370, -1};
} // namespace

HWND CreateStatusBar(HWND mainWindow, HINSTANCE instance) {
    HWND bar = CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP,
                               0, 0, 0, 0, mainWindow,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUS_BAR)),
                               instance, nullptr);
    if (bar != nullptr) {
        int edges[4];
        for (int i = 0; i < 4; ++i)
            edges[i] = kPartEdges[i];
        SendMessageA(bar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(edges));
    }
    return bar;
}

void SetPaneText(int pane, const char* text) {
    SendMessageA(App().statusBar, SB_SETTEXTA, static_cast<WPARAM>(pane),
                 reinterpret_cast<LPARAM>(text));
}

void ShowEncryptedIcon(bool shown) {
    HICON icon = shown ? App().encryptedIcon : nullptr;
    SendMessageA(App().statusBar, SB_SETICON, kPaneIcon, reinterpret_cast<LPARAM>(icon));
}

void ClearAllPanes() {
    SetPaneText(kPaneName, kBlankPaneText);
    SetPaneText(kPaneState, kBlankPaneText);
    ShowEncryptedIcon(false);
    SetPaneText(kPaneSize, kBlankPaneText);
}
