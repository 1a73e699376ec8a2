#include "app/main_window_proc.h"

#include <new>

#include "app/app_state.h"
#include "app/view_commands.h"
#include "document/document_commands.h"
#include "finder/finder_commands.h"
#include "finder/results_list.h"
#include "resources/resource_ids.h"
#include "ui/status_bar.h"
#include "ui/ui_commands.h"

namespace {

// The encrypted icon's size in pane 2 of the status bar.
constexpr int kPaneIconSize = 16;

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
