// The status bar, list view and tree view of another process. Their messages carry pointers
// that the system does not carry across processes, so the records and texts live in memory
// allocated inside the program.
#include "driver/ui_driver.h"

namespace vqtest {

namespace {

constexpr std::size_t kTextChars = 1024;

// Sends a message and waits at most kWaitMs for the answer; 0 when none came.
LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kWaitMs, &result))
        return 0;
    return static_cast<LRESULT>(result);
}

} // namespace

std::string PaneText(HWND statusBar, int pane) {
    // The text may change between the two requests: the room has a margin and the text is
    // read up to its end, whatever the length said.
    const std::size_t room = LOWORD(Ask(statusBar, SB_GETTEXTLENGTHA, pane)) + kTextChars;
    RemoteMemory text(statusBar, room);
    if (!text.Valid())
        return std::string();
    Ask(statusBar, SB_GETTEXTA, pane, text.Param());
    return text.ReadText(0, room);
}

bool PaneHasIcon(HWND statusBar, int pane) {
    return Ask(statusBar, SB_GETICON, pane) != 0;
}

std::vector<int> PartEdges(HWND statusBar) {
    constexpr int kMaxParts = 256;
    RemoteMemory edges(statusBar, sizeof(int) * kMaxParts);
    if (!edges.Valid())
        return {};
    const int count = static_cast<int>(Ask(statusBar, SB_GETPARTS, kMaxParts, edges.Param()));
    std::vector<int> result(count > 0 ? count : 0);
    if (count > 0 && !edges.Read(result.data(), sizeof(int) * count))
        return {};
    return result;
}

bool WaitForPaneText(HWND statusBar, int pane, const std::string& text, DWORD timeoutMs) {
    return WaitUntil([&] { return PaneText(statusBar, pane) == text; }, timeoutMs);
}

int ListRowCount(HWND list) {
    return static_cast<int>(Ask(list, LVM_GETITEMCOUNT));
}

std::string ListItemText(HWND list, int row, int column) {
    RemoteMemory block(list, sizeof(LVITEMA) + kTextChars);
    if (!block.Valid())
        return std::string();
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = static_cast<char*>(block.Address(sizeof item));
    item.cchTextMax = static_cast<int>(kTextChars);
    if (!block.Write(&item, sizeof item))
        return std::string();
    Ask(list, LVM_GETITEMTEXTA, row, block.Param());
    return block.ReadText(sizeof item, kTextChars);
}

std::vector<std::string> ListColumnTexts(HWND list, int column) {
    std::vector<std::string> texts;
    const int rows = ListRowCount(list);
    for (int row = 0; row < rows; ++row)
        texts.push_back(ListItemText(list, row, column));
    return texts;
}

bool SelectListRow(HWND list, int row, bool selected) {
    RemoteMemory block(list, sizeof(LVITEMA));
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = selected ? (LVIS_SELECTED | LVIS_FOCUSED) : 0;
    if (!block.Write(&item, sizeof item))
        return false;
    return Ask(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), block.Param()) != FALSE;
}

std::vector<int> SelectedListRows(HWND list) {
    std::vector<int> rows;
    int row = -1;
    while ((row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                                LVNI_SELECTED))) != -1) {
        rows.push_back(row);
        if (rows.size() > 100000)
            break;
    }
    return rows;
}

int ListColumnCount(HWND list) {
    HWND header = reinterpret_cast<HWND>(Ask(list, LVM_GETHEADER));
    return header ? static_cast<int>(Ask(header, HDM_GETITEMCOUNT)) : 0;
}

std::string ListColumnHeading(HWND list, int column) {
    RemoteMemory block(list, sizeof(LVCOLUMNA) + kTextChars);
    if (!block.Valid())
        return std::string();
    LVCOLUMNA record{};
    record.mask = LVCF_TEXT;
    record.pszText = static_cast<char*>(block.Address(sizeof record));
    record.cchTextMax = static_cast<int>(kTextChars);
    if (!block.Write(&record, sizeof record) || !Ask(list, LVM_GETCOLUMNA, column, block.Param()))
        return std::string();
    return block.ReadText(sizeof record, kTextChars);
}

int ListColumnWidth(HWND list, int column) {
    return static_cast<int>(Ask(list, LVM_GETCOLUMNWIDTH, column));
}

DWORD ListExtendedStyle(HWND list) {
    return static_cast<DWORD>(Ask(list, LVM_GETEXTENDEDLISTVIEWSTYLE));
}

COLORREF ListTextColor(HWND list) {
    return static_cast<COLORREF>(Ask(list, LVM_GETTEXTCOLOR));
}
COLORREF ListTextBackColor(HWND list) {
    return static_cast<COLORREF>(Ask(list, LVM_GETTEXTBKCOLOR));
}
COLORREF ListBackColor(HWND list) {
    return static_cast<COLORREF>(Ask(list, LVM_GETBKCOLOR));
}

namespace {

std::string TreeLabel(HWND tree, HTREEITEM item) {
    RemoteMemory block(tree, sizeof(TVITEMA) + kTextChars);
    if (!block.Valid())
        return std::string();
    TVITEMA record{};
    record.mask = TVIF_TEXT | TVIF_HANDLE;
    record.hItem = item;
    record.pszText = static_cast<char*>(block.Address(sizeof record));
    record.cchTextMax = static_cast<int>(kTextChars);
    if (!block.Write(&record, sizeof record) || !Ask(tree, TVM_GETITEMA, 0, block.Param()))
        return std::string();
    return block.ReadText(sizeof record, kTextChars);
}

HTREEITEM TreeNext(HWND tree, UINT relation, HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(
        Ask(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

bool EndsWithIgnoringCase(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           SameTextIgnoringCase(text.substr(text.size() - tail.size()), tail);
}

// Expands `parent` (the dialog fills in its children then) and finds the child whose label
// `match` accepts.
HTREEITEM ExpandAndFind(HWND tree, HTREEITEM parent,
                        const std::function<bool(const std::string&)>& match) {
    Ask(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
    for (HTREEITEM child = TreeNext(tree, TVGN_CHILD, parent); child != nullptr;
         child = TreeNext(tree, TVGN_NEXT, child)) {
        if (match(TreeLabel(tree, child)))
            return child;
    }
    return nullptr;
}

std::vector<std::string> PathComponents(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\' || c == '/') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

} // namespace

std::vector<std::string> TreeChildLabels(HWND tree, HTREEITEM parent) {
    std::vector<std::string> labels;
    if (parent != TVI_ROOT)
        Ask(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
    HTREEITEM child = parent == TVI_ROOT ? TreeNext(tree, TVGN_ROOT, nullptr)
                                         : TreeNext(tree, TVGN_CHILD, parent);
    for (; child != nullptr; child = TreeNext(tree, TVGN_NEXT, child))
        labels.push_back(TreeLabel(tree, child));
    return labels;
}

HWND WaitForBrowseDialog(DWORD pid, DWORD timeoutMs) {
    return WaitForTopWindow(pid, "#32770", "Browse for Folder", timeoutMs);
}

bool SelectFolderInBrowser(HWND browseDialog, const std::string& folder) {
    HWND tree = FindDescendant(browseDialog, WC_TREEVIEWA);
    if (tree == nullptr || folder.size() < 2 || folder[1] != ':')
        return false;
    // The tree fills itself while the dialog starts; wait for its root.
    HTREEITEM item = nullptr;
    if (!WaitUntil([&] { return (item = TreeNext(tree, TVGN_ROOT, nullptr)) != nullptr; }))
        return false;
    item =
        ExpandAndFind(tree, item, [](const std::string& label) { return label == "My Computer"; });
    if (item == nullptr)
        return false;
    const std::string drive = "(" + folder.substr(0, 2) + ")";
    item = ExpandAndFind(
        tree, item, [&](const std::string& label) { return EndsWithIgnoringCase(label, drive); });
    for (const std::string& component : PathComponents(folder.substr(2))) {
        if (item == nullptr)
            return false;
        item = ExpandAndFind(tree, item, [&](const std::string& label) {
            return SameTextIgnoringCase(label, component);
        });
    }
    if (item == nullptr)
        return false;
    Ask(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    return Ask(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) != FALSE;
}

bool ChooseFolderInBrowser(HWND browseDialog, const std::string& folder) {
    return SelectFolderInBrowser(browseDialog, folder) && PressDialogButton(browseDialog, IDOK);
}

} // namespace vqtest
