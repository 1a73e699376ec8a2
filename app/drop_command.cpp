// Files and folders dropped on the main window from Explorer.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "app/view_commands.h"
#include "document/document.h"
#include "document/document_commands.h"
#include "finder/finder_commands.h"
#include "platform/win32_path_attributes.h"
#include "resources/resource_ids.h"
#include "platform/win32_wide_text.h"
#include "platform/win32_handles.h"

namespace {

// DragQueryFile's index that asks for the number of dropped items.
constexpr UINT kCountItems = 0xFFFFFFFF;

// The first dropped item's whole path, never cut; empty when there is none. The drop is
// finished (DragFinish) whatever happens.
std::string TakeFirstDroppedPath(HDROP drop) {
    const UniqueDrop finished(drop);
    if (DragQueryFileW(drop, kCountItems, nullptr, 0) == 0)
        return std::string();
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    if (length == 0 || DragQueryFileW(drop, 0, &path[0], length + 1) != length)
        return std::string();
    return Utf8FromWide(path.c_str(), length);
}

// A user could press the button now: it is shown and enabled.
bool CanPress(HWND mainWindow, int id) {
    HWND button = GetDlgItem(mainWindow, id);
    return IsWindowVisible(button) && IsWindowEnabled(button);
}

} // namespace

void DropCommand(MainWindow& main, HDROP drop) {
    const std::string path = TakeFirstDroppedPath(drop);
    HWND window = main.parts.window;
    // A modal dialog owns the window while it is disabled: nothing may start beneath it; nor
    // while a file work runs.
    if (path.empty() || !IsWindowEnabled(window) || main.work.Busy())
        return;
    // Like the buttons it stands for, a drop may change the document while a preview's notice
    // still shows, and that preview must then leave the buttons alone.
    if (IsFolder(path)) {
        if (CanPress(window, IDC_BTN_FIND_ENCRYPTED)) {
            BeginDocumentCommand(main.document);
            ScanFolderCommand(main.finder, path + '\\');
        }
    } else if (CanPress(window, IDC_BTN_OPEN_FILE)) {
        BeginDocumentCommand(main.document);
        ShowEmptyDocumentView(main.parts);
        LoadDroppedDocument(main.parts, main.work, main.document, path.c_str());
    }
}
