#include "finder/results_list.h"

#include <commctrl.h>

#include "app/app_state.h"
#include "document/load_document.h"
#include "resources/resource_ids.h"
#include "ui/status_bar.h"
#include "util/path_text.h"

namespace {

constexpr char kPathColumnHeading[] = "Path\\Filename";
constexpr COLORREF kRowTextColour = RGB(201, 3, 3);
constexpr COLORREF kWhite = RGB(255, 255, 255);
// Grid lines, the row under the mouse underlined and activated on one click, and a tip that
// shows a path cut off by the column's edge whole.
constexpr DWORD kListStyles =
    LVS_EX_GRIDLINES | LVS_EX_ONECLICKACTIVATE | LVS_EX_UNDERLINEHOT | LVS_EX_LABELTIP;
static_assert(kListStyles == 0x4841, "the list's extended styles");
// The menu's right edge stands at the cursor; its item can be chosen with either button.
constexpr UINT kMenuFlags = TPM_RIGHTBUTTON | TPM_RIGHTALIGN;
// Room for any row the scan can list: a folder path the file calls accept and one name.
constexpr int kRowTextCapacity = 1042;

void InsertPathColumn(HWND list) {
    RECT client{};
    GetClientRect(list, &client);
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    // As wide as the list less a vertical scroll bar, so no horizontal one is needed.
    column.cx = client.right - GetSystemMetrics(SM_CXVSCROLL);
    column.pszText = const_cast<char*>(kPathColumnHeading);
    column.iSubItem = 0;
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
}

} // namespace

void SetUpResultsList() {
    HWND list = App().resultsList;
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    InsertPathColumn(list);
    SendMessageA(list, LVM_SETTEXTCOLOR, 0, kRowTextColour);
    SendMessageA(list, LVM_SETBKCOLOR, 0, kWhite);
    SendMessageA(list, LVM_SETTEXTBKCOLOR, 0, kWhite);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, kListStyles);
}

HMENU CreateResultsMenu() {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, IDM_RESULTS_OPEN, "Open");
    return menu;
}

void AppendResultRow(const char* path) {
    HWND list = App().resultsList;
    LVITEMA row{};
    row.mask = LVIF_TEXT;
    row.iItem = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    row.iSubItem = 0;
    row.pszText = const_cast<char*>(path);
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row));
}

void CaptureSelectedPath() {
    AppState& app = App();
    ZeroMemory(app.selectedPathText, sizeof app.selectedPathText);
    const int selected = static_cast<int>(
        SendMessageA(app.resultsList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (selected < 0) {
        LVITEMA unfocus{};
        unfocus.stateMask = LVIS_FOCUSED;
        unfocus.state = 0;
        SendMessageA(app.resultsList, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&unfocus));
        return;
    }
    char wholePath[kRowTextCapacity] = {};
    LVITEMA row{};
    row.mask = LVIF_TEXT;
    row.iItem = selected;
    row.iSubItem = 0;
    row.pszText = wholePath;
    row.cchTextMax = sizeof wholePath;
    SendMessageA(app.resultsList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&row));
    // The control may answer with a pointer to its own copy instead of filling ours.
    const char* path = row.pszText != nullptr ? row.pszText : wholePath;
    lstrcpynA(app.selectedPathText, path, sizeof app.selectedPathText);
    // A path too long for the load is not cut to another file's name: the load gets an empty
    // path and reports that it cannot open the file.
    CopyWholeText(app.namedFilePath, sizeof app.namedFilePath, path);
}

void ResultsContextMenu(HWND mainWindow) {
    CaptureSelectedPath();
    if (App().selectedPathText[0] == '\0')
        return;
    POINT cursor{};
    GetCursorPos(&cursor);
    TrackPopupMenuEx(App().resultsMenu, kMenuFlags, cursor.x, cursor.y, mainWindow, nullptr);
}

void OpenSelectedCommand(HWND mainWindow) {
    AppState& app = App();
    ShowWindow(app.resultsList, SW_HIDE);
    ShowWindow(app.documentView, SW_SHOWNORMAL);
    UpdateWindow(app.documentView);
    SetDlgItemTextA(mainWindow, IDC_DOCUMENT_VIEW, nullptr);
    ClearAllPanes();
    app.openNamedFile = 1;
    LoadDocument(mainWindow);
}
