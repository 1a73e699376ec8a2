#include "finder/results_list.h"

#include <commctrl.h>

#include "finder/finder_commands.h"
#include "resources/resource_ids.h"

namespace {

constexpr char kPathColumnHeading[] = "Path\\Filename";
constexpr COLORREF kRowTextColour = RGB(201, 3, 3);
constexpr COLORREF kWhite = RGB(255, 255, 255);
// Exactly these extended styles and no others: grid lines between rows, the row under the
// mouse underlined and activated on one click, and a tip that shows a path cut off by the
// column's edge whole.
constexpr DWORD kListStyles =
    LVS_EX_GRIDLINES | LVS_EX_ONECLICKACTIVATE | LVS_EX_UNDERLINEHOT | LVS_EX_LABELTIP;
static_assert(kListStyles == 0x4841, "the styles the list has always had");
// The mask that makes LVM_SETEXTENDEDLISTVIEWSTYLE replace every extended style.
constexpr WPARAM kAllExtendedStyles = 0;
// The menu's right edge stands at the cursor; its item can be chosen with either button.
constexpr UINT kMenuFlags = TPM_RIGHTBUTTON | TPM_RIGHTALIGN;
// More than any row the scan can list (a folder path the ANSI file calls accept, under
// MAX_PATH, and one entry name), so a row is always read back whole.
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

void SetUpResultsList(HWND list) {
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    InsertPathColumn(list);
    SendMessageA(list, LVM_SETTEXTCOLOR, 0, kRowTextColour);
    SendMessageA(list, LVM_SETBKCOLOR, 0, kWhite);
    SendMessageA(list, LVM_SETTEXTBKCOLOR, 0, kWhite);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, kAllExtendedStyles, kListStyles);
}

UniqueMenu CreateResultsMenu() {
    UniqueMenu menu(CreatePopupMenu());
    AppendMenuA(menu.get(), MF_STRING, IDM_RESULTS_OPEN, "Open");
    return menu;
}

void AppendResultRows(HWND list, const std::vector<std::string>& paths) {
    if (paths.empty())
        return;
    // A visible list redraws its scroll bar for every row inserted while it redraws; under
    // Wine that costs tens of milliseconds a row, far more than finding the row did.
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    int next = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (const std::string& path : paths) {
        LVITEMA row{};
        row.mask = LVIF_TEXT;
        row.iItem = next++;
        row.iSubItem = 0;
        row.pszText = const_cast<char*>(path.c_str());
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row));
    }
    // Turning redraw back on updates the scroll bar; the rows are then painted once.
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

std::string CaptureSelectedPath(HWND list) {
    const int selected = static_cast<int>(
        SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (selected < 0) {
        LVITEMA unfocus{};
        unfocus.stateMask = LVIS_FOCUSED;
        unfocus.state = 0;
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&unfocus));
        return std::string();
    }
    char wholePath[kRowTextCapacity] = {};
    LVITEMA row{};
    row.mask = LVIF_TEXT;
    row.iItem = selected;
    row.iSubItem = 0;
    row.pszText = wholePath;
    row.cchTextMax = sizeof wholePath;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&row));
    // The control may answer with a pointer to its own copy instead of filling ours.
    return row.pszText != nullptr ? row.pszText : wholePath;
}

void ResultsContextMenu(FinderState& finder) {
    finder.selectedPath = CaptureSelectedPath(finder.window.resultsList);
    if (finder.selectedPath.empty())
        return;
    POINT cursor{};
    GetCursorPos(&cursor);
    TrackPopupMenuEx(finder.resultsMenu.get(), kMenuFlags, cursor.x, cursor.y, finder.window.window,
                     nullptr);
}
