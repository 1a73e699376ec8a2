#include "finder/results_list.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "finder/finder_commands.h"
#include "resources/resource_ids.h"
#include "platform/win32_wide_text.h"

namespace {

constexpr wchar_t kPathColumnHeading[] = L"Path\\Filename";
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
// Room for a row read back at first; a longer row is read again into more room, so that a row
// is always read back whole.
constexpr std::size_t kFirstRowTextCapacity = 1024;
// The longest path the system hands out, in UTF-16 units with the terminator.
constexpr std::size_t kLongestPath = 32768;

void InsertPathColumn(HWND list) {
    RECT client{};
    GetClientRect(list, &client);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    // As wide as the list less a vertical scroll bar, so no horizontal one is needed.
    column.cx = client.right - GetSystemMetrics(SM_CXVSCROLL);
    column.pszText = const_cast<wchar_t*>(kPathColumnHeading);
    column.iSubItem = 0;
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
}

// The whole text of row `index`: read again into more room for as long as it fills the room.
std::string RowText(HWND list, int index) {
    for (std::size_t capacity = kFirstRowTextCapacity;; capacity *= 2) {
        std::vector<wchar_t> text(capacity, L'\0');
        LVITEMW row{};
        row.iSubItem = 0;
        row.pszText = text.data();
        row.cchTextMax = static_cast<int>(capacity);
        const auto length = static_cast<std::size_t>(SendMessageW(
            list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&row)));
        if (length + 1 < capacity || capacity >= kLongestPath)
            return Utf8FromWide(text.data(), std::min(length, capacity - 1));
    }
}

} // namespace

void SetUpResultsList(HWND list) {
    // The list holds its rows in UTF-16, whatever the template made of it.
    SendMessageW(list, CCM_SETUNICODEFORMAT, TRUE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    InsertPathColumn(list);
    SendMessageW(list, LVM_SETTEXTCOLOR, 0, kRowTextColour);
    SendMessageW(list, LVM_SETBKCOLOR, 0, kWhite);
    SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, kWhite);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, kAllExtendedStyles, kListStyles);
}

UniqueMenu CreateResultsMenu() {
    UniqueMenu menu(CreatePopupMenu());
    AppendMenuW(menu.get(), MF_STRING, IDM_RESULTS_OPEN, L"Open");
    return menu;
}

void AppendResultRows(HWND list, const std::vector<std::string>& paths) {
    if (paths.empty())
        return;
    // A visible list redraws its scroll bar for every row inserted while it redraws; under
    // Wine that costs tens of milliseconds a row, far more than finding the row did.
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    int next = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (const std::string& path : paths) {
        std::wstring wide = WideFromUtf8(path);
        LVITEMW row{};
        row.mask = LVIF_TEXT;
        row.iItem = next++;
        row.iSubItem = 0;
        row.pszText = &wide[0];
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row));
    }
    // Turning redraw back on updates the scroll bar; the rows are then painted once.
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

std::string CaptureSelectedPath(HWND list) {
    const int selected = static_cast<int>(
        SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (selected < 0) {
        LVITEMW unfocus{};
        unfocus.stateMask = LVIS_FOCUSED;
        unfocus.state = 0;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&unfocus));
        return std::string();
    }
    return RowText(list, selected);
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
