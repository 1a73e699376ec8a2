#include "app/main_window.h"

#include "app/app_state.h"
#include "app/main_window_proc.h"
#include "document/load_document.h"
#include "finder/results_list.h"
#include "resources/resource_ids.h"
#include "ui/control_states.h"
#include "ui/notification.h"
#include "ui/status_bar.h"
#include "util/command_argument.h"

namespace {

ATOM RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM_ICON));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszMenuName = "Menu1"; // no such menu exists, so the window has no menu bar
    windowClass.lpszClassName = VQ_MAIN_CLASS;
    return RegisterClassExA(&windowClass);
}

// The "Terminal" font of the document view.
HFONT CreateDocumentFont() {
    LOGFONTA font{};
    font.lfHeight = 12;
    font.lfWeight = 200;
    font.lfCharSet = OEM_CHARSET;
    font.lfOutPrecision = OUT_STROKE_PRECIS;
    font.lfClipPrecision = CLIP_STROKE_PRECIS;
    font.lfQuality = DRAFT_QUALITY;
    font.lfPitchAndFamily = 0;
    lstrcpynA(font.lfFaceName, "Terminal", LF_FACESIZE);
    return CreateFontIndirectA(&font);
}

void SetFirstControlState(HWND mainWindow) {
    AppState& app = App();
    ApplyButtonEvent(mainWindow, ButtonEvent::Startup);
    ClearAllPanes();
    app.documentView = GetDlgItem(mainWindow, IDC_DOCUMENT_VIEW);
    app.resultsList = GetDlgItem(mainWindow, IDC_RESULTS_LIST);
    SetUpResultsList();
    ShowWindow(app.resultsList, SW_HIDE);
    ShowWindow(GetDlgItem(mainWindow, IDC_BTN_STOP_FIND), SW_HIDE);
    app.documentFont = CreateDocumentFont();
    SendMessageA(app.documentView, WM_SETFONT, reinterpret_cast<WPARAM>(app.documentFont), TRUE);
}

// A file named on the command line is loaded before the first message is handled.
void LoadFileFromCommandLine(HWND mainWindow) {
    AppState& app = App();
    const std::uint32_t status =
        ExtractCommandArgument(GetCommandLineA(), 1, app.namedFilePath, sizeof app.namedFilePath);
    if (app.namedFilePath[0] == '\0') {
        app.openNamedFile = 0;
        // A path too long for NamedFilePath is refused, never cut to another file.
        if (status == kArgumentTooLong)
            ShowNotification(Notice::OpenError);
        return;
    }
    app.openNamedFile = 1;
    SetDlgItemTextA(mainWindow, IDC_DOCUMENT_VIEW, "");
    LoadDocument(mainWindow);
}

int RunMessageLoop(HWND mainWindow) {
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(mainWindow, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

} // namespace

int RunMainWindow(HINSTANCE instance) {
    RegisterMainWindowClass(instance);
    HWND mainWindow = CreateDialogParamA(instance, VQ_TEMPLATE_MAIN, nullptr, nullptr, 0);
    if (mainWindow == nullptr)
        return 1;
    ShowWindow(mainWindow, SW_SHOWNORMAL);
    UpdateWindow(mainWindow);
    SetFirstControlState(mainWindow);
    LoadFileFromCommandLine(mainWindow);
    const int exitCode = RunMessageLoop(mainWindow);
    if (App().documentFont != nullptr)
        DeleteObject(App().documentFont);
    return exitCode;
}
