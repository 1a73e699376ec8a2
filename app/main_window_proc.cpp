#include "app/main_window_proc.h"

#include <commdlg.h>

#include "app/app_state.h"
#include "app/view_commands.h"
#include "document/cipher_commands.h"
#include "finder/find_commands.h"
#include "finder/results_list.h"
#include "resources/resource_ids.h"
#include "ui/about_dialog.h"
#include "ui/status_bar.h"

namespace {

constexpr char kOpenFilter[] = "All Files\0*.*\0Text Files\0*.txt\0";

void FillSharedOpenFileName(HWND window) {
    AppState& app = App();
    OPENFILENAMEA& record = app.sharedOpenFileName;
    record = OPENFILENAMEA{};
    record.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    record.hwndOwner = window;
    record.hInstance = app.instance;
    record.lpstrFilter = kOpenFilter;
    record.lpstrFile = app.fileNameBuffer;
    record.nMaxFile = sizeof app.fileNameBuffer;
}

void OnCreate(HWND window) {
    AppState& app = App();
    app.mainWindow = window;
    FillSharedOpenFileName(window);
    app.resultsMenu = CreateResultsMenu();
    app.statusBar = CreateStatusBar(window, app.instance);
    app.encryptedIcon = static_cast<HICON>(LoadImageA(
        app.instance, MAKEINTRESOURCEA(IDI_ENCRYPTED_ICON), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
}

void OnDestroy() {
    WipeCipherKey();
    PostQuitMessage(0);
}

void OnButtonClicked(HWND window, int id) {
    switch (id) {
    case IDC_BTN_SAVE_AS:
        SaveAsCommand(window);
        break;
    case IDC_BTN_CLEAR:
        ClearCommand(window);
        break;
    case IDC_BTN_EXIT:
        ExitCommand(window);
        break;
    case IDC_BTN_OPEN_FILE:
        OpenFileCommand(window);
        break;
    case IDC_BTN_ENCRYPT:
        EncryptCommand(window);
        break;
    case IDC_BTN_DECRYPT:
        DecryptCommand(window);
        break;
    case IDC_BTN_ABOUT:
        AboutCommand(window);
        break;
    case IDC_BTN_HELP:
        HelpCommand(window);
        break;
    case IDC_BTN_FIND_ENCRYPTED:
        FindEncryptedCommand(window);
        break;
    case IDC_BTN_STOP_FIND:
        StopFindCommand(window);
        break;
    default:
        break;
    }
}

void OnMenuCommand(HWND window, int id) {
    if (id == IDM_RESULTS_OPEN)
        OpenSelectedCommand(window);
}

void OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    if (lParam == 0)
        OnMenuCommand(window, LOWORD(wParam));
    else if (HIWORD(wParam) == BN_CLICKED)
        OnButtonClicked(window, LOWORD(wParam));
}

// A static control answers its own colour request. A bitmap that has to be fitted into a
// slightly smaller frame is smoothed rather than thinned out.
LRESULT ReflectStaticColour(WPARAM wParam, LPARAM lParam) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    return SendMessageA(reinterpret_cast<HWND>(lParam), WM_CTLCOLORSTATIC, wParam, lParam);
}

} // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_CTLCOLORSTATIC:
        return ReflectStaticColour(wParam, lParam);
    case WM_CONTEXTMENU:
        ResultsContextMenu(window);
        return 0;
    case WM_COMMAND:
        OnCommand(window, wParam, lParam);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
