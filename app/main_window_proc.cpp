// The main window's procedure, and the commands that belong to the window itself or route
// between its parts: "Open File", the results list's "Open", "Clear", "Exit" and what is
// dropped on the window. Each command of the document and the finder goes to its own part.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <new>
#include <string>

#include "app/main_window.h"
#include "document/document_commands.h"
#include "finder/finder_commands.h"
#include "finder/results_list.h"
#include "resources/resource_ids.h"
#include "ui/status_bar.h"
#include "ui/control_states.h"
#include "ui/about_dialog.h"
#include "ui/help_path.h"
#include "platform/win32_handles.h"
#include "platform/win32_path_attributes.h"
#include "platform/win32_wide_text.h"

namespace {

// The encrypted icon's size in pane 2 of the status bar.
constexpr int kPaneIconSize = 16;

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

// The document view takes the results list's place, empty, with empty panes, for a load.
void ShowEmptyDocumentView(const WindowParts& parts) {
    ShowWindow(parts.resultsList, SW_HIDE);
    ShowWindow(parts.documentView, SW_SHOWNORMAL);
    UpdateWindow(parts.documentView);
    SetDlgItemTextW(parts.window, IDC_DOCUMENT_VIEW, L"");
    ClearAllPanes(parts.statusBar);
}

void OpenFileCommand(MainWindow& main) {
    ShowEmptyDocumentView(main.parts);
    LoadDocument(main.parts, main.work, main.document, nullptr);
}

// Loads the file of the row the results list's menu was opened on.
void OpenSelectedCommand(MainWindow& main) {
    ShowEmptyDocumentView(main.parts);
    LoadDocument(main.parts, main.work, main.document, main.finder.selectedPath.c_str());
}

void ClearCommand(MainWindow& main) {
    SetDlgItemTextW(main.parts.window, IDC_DOCUMENT_VIEW, L"");
    SendMessageW(main.parts.resultsList, LVM_DELETEALLITEMS, 0, 0);
    ApplyButtonEvent(main.parts.window, ButtonEvent::Clear);
    ClearAllPanes(main.parts.statusBar);
    main.document.ForgetKey();
}

void ExitCommand(HWND mainWindow) {
    DestroyWindow(mainWindow);
}

// Files or folders dropped on the window: the first is taken, a file loaded as "Open File"
// would, a folder scanned as "Find Encrypted" would, when that button could be pressed now.
// The drop is always finished.
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

void OnCreate(MainWindow& main, HWND window) {
    WindowParts& parts = main.parts;
    parts.window = window;
    main.finder.resultsMenu = CreateResultsMenu();
    parts.statusBar = CreateStatusBar(window, parts.instance);
    parts.encryptedIcon.reset(
        static_cast<HICON>(LoadImageW(parts.instance, MAKEINTRESOURCEW(IDI_ENCRYPTED_ICON),
                                      IMAGE_ICON, kPaneIconSize, kPaneIconSize, LR_DEFAULTCOLOR)));
    // Files and folders dropped from Explorer arrive as WM_DROPFILES.
    DragAcceptFiles(window, TRUE);
}

void OnDestroy(MainWindow& main) {
    main.document.ForgetKey();
    PostQuitMessage(0);
}

// Whether a button's command may change the document or what the window shows of it.
bool ChangesDocument(int id) {
    switch (id) {
    case IDC_BTN_SAVE_AS:
    case IDC_BTN_CLEAR:
    case IDC_BTN_OPEN_FILE:
    case IDC_BTN_ENCRYPT:
    case IDC_BTN_DECRYPT:
    case IDC_BTN_FIND_ENCRYPTED:
        return true;
    default:
        return false;
    }
}

// "Exit", the close box and the system's close: with a file work running, the work is asked
// to stop and the window closes once it has ended.
void CloseCommand(MainWindow& main) {
    if (!main.work.AskToClose())
        ExitCommand(main.parts.window);
}

void OnButtonClicked(MainWindow& main, int id) {
    const WindowParts& parts = main.parts;
    if (ChangesDocument(id)) {
        // The buttons are disabled while a file work runs; a click that comes in anyway
        // changes nothing.
        if (main.work.Busy())
            return;
        BeginDocumentCommand(main.document);
    }
    switch (id) {
    case IDC_BTN_SAVE_AS:
        SaveAsCommand(parts, main.work, main.document);
        break;
    case IDC_BTN_CLEAR:
        ClearCommand(main);
        break;
    case IDC_BTN_EXIT:
        CloseCommand(main);
        break;
    case IDC_BTN_OPEN_FILE:
        OpenFileCommand(main);
        break;
    case IDC_BTN_ENCRYPT:
        EncryptCommand(parts, main.work, main.document);
        break;
    case IDC_BTN_DECRYPT:
        DecryptCommand(parts, main.work, main.document);
        break;
    case IDC_BTN_ABOUT:
        AboutCommand(parts.window, parts.instance);
        break;
    case IDC_BTN_HELP:
        HelpCommand(parts.window);
        break;
    case IDC_BTN_FIND_ENCRYPTED:
        FindEncryptedCommand(main.finder);
        break;
    case IDC_BTN_STOP_FIND:
        if (!main.work.Busy())
            StopFindCommand(main.finder);
        break;
    default:
        break;
    }
}

void OnMenuCommand(MainWindow& main, int id) {
    if (id == IDM_RESULTS_OPEN && !main.work.Busy()) {
        BeginDocumentCommand(main.document);
        OpenSelectedCommand(main);
    }
}

void OnCommand(MainWindow& main, WPARAM wParam, LPARAM lParam) {
    try {
        if (lParam == 0)
            OnMenuCommand(main, LOWORD(wParam));
        else if (HIWORD(wParam) == BN_CLICKED)
            OnButtonClicked(main, LOWORD(wParam));
    } catch (const std::bad_alloc&) {
        // No memory for a path or a scan's record: the command ends where it stood.
    }
}

// A static control answers its own colour request. A bitmap that has to be fitted into a
// slightly smaller frame is smoothed rather than thinned out.
LRESULT ReflectStaticColour(WPARAM wParam, LPARAM lParam) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    return SendMessageW(reinterpret_cast<HWND>(lParam), WM_CTLCOLORSTATIC, wParam, lParam);
}

} // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindow* main = App().mainWindow;
    if (main == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_CREATE:
        OnCreate(*main, window);
        return 0;
    case WM_DESTROY:
        OnDestroy(*main);
        return 0;
    case WM_CLOSE:
        CloseCommand(*main);
        return 0;
    case WM_QUERYENDSESSION:
        main->work.AskToClose();
        return TRUE;
    case WM_ENDSESSION:
        // The process may end once this returns: a running work ends first.
        if (wParam != FALSE)
            main->work.FinishBeforeSessionEnds();
        return 0;
    case WM_CTLCOLORSTATIC:
        return ReflectStaticColour(wParam, lParam);
    case WM_CONTEXTMENU:
        try {
            ResultsContextMenu(main->finder);
        } catch (const std::bad_alloc&) {
            // No memory for the row's path: no menu.
        }
        return 0;
    case WM_COMMAND:
        OnCommand(*main, wParam, lParam);
        return 0;
    case WM_DROPFILES:
        try {
            DropCommand(*main, reinterpret_cast<HDROP>(wParam));
        } catch (const std::bad_alloc&) {
            // No memory for the dropped path: the drop is let go.
        }
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
