#include "app/main_window.h"

#include "document/document_commands.h"
#include "finder/results_list.h"
#include "resources/resource_ids.h"
#include "ui/control_states.h"
#include "ui/notification.h"
#include "ui/status_bar.h"
#include "util/command_argument.h"
#include "platform/win32_wide_text.h"

#include <memory>
#include <string>
#include <vector>

namespace {

// The class names this menu, but no menu resource has the name: the window has no menu bar.
constexpr wchar_t kAbsentMenuName[] = L"Menu1";

// The document view's font for a text in the code page: the raster "Terminal" face in the OEM
// character set, 12 pixels high, drawn as it comes. A Unicode text (UTF-8 or UTF-16) is shown
// in a fixed-pitch TrueType face of the same height, which the system completes with other
// faces for scripts it lacks: a raster face holds the characters of one code page only.
constexpr LONG kDocumentFontHeight = 12;
constexpr wchar_t kDocumentFontFace[] = L"Terminal";
constexpr wchar_t kUnicodeTextFontFace[] = L"Courier New";

ATOM RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROGRAM_ICON));
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszMenuName = kAbsentMenuName;
    windowClass.lpszClassName = L"" VQ_MAIN_CLASS;
    return RegisterClassExW(&windowClass);
}

UniqueFont CreateDocumentFont() {
    LOGFONTW font{};
    font.lfHeight = kDocumentFontHeight;
    font.lfWeight = FW_EXTRALIGHT;
    font.lfCharSet = OEM_CHARSET;
    font.lfOutPrecision = OUT_STROKE_PRECIS;
    font.lfClipPrecision = CLIP_STROKE_PRECIS;
    font.lfQuality = DRAFT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    lstrcpynW(font.lfFaceName, kDocumentFontFace, LF_FACESIZE);
    return UniqueFont(CreateFontIndirectW(&font));
}

UniqueFont CreateUnicodeTextFont() {
    LOGFONTW font{};
    font.lfHeight = kDocumentFontHeight;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_TT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    lstrcpynW(font.lfFaceName, kUnicodeTextFontFace, LF_FACESIZE);
    return UniqueFont(CreateFontIndirectW(&font));
}

void SetFirstControlState(MainWindow& main) {
    WindowParts& parts = main.parts;
    ApplyButtonEvent(parts.window, ButtonEvent::Startup);
    ClearAllPanes(parts.statusBar);
    parts.documentView = GetDlgItem(parts.window, IDC_DOCUMENT_VIEW);
    parts.resultsList = GetDlgItem(parts.window, IDC_RESULTS_LIST);
    SetUpResultsList(parts.resultsList);
    ShowWindow(parts.resultsList, SW_HIDE);
    ShowWindow(GetDlgItem(parts.window, IDC_BTN_STOP_FIND), SW_HIDE);
    parts.codePageFont = CreateDocumentFont();
    parts.unicodeFont = CreateUnicodeTextFont();
    SendMessageW(parts.documentView, WM_SETFONT, reinterpret_cast<WPARAM>(parts.codePageFont.get()),
                 TRUE);
}

// A file named on the command line is loaded before the first message is handled.
void LoadFileFromCommandLine(MainWindow& main) {
    // The line in UTF-8, which the extraction works on byte by byte.
    const std::string commandLine = Utf8FromWide(GetCommandLineW());
    std::vector<char> namedPath(kNamedPathCapacity, '\0');
    const std::uint32_t status =
        ExtractCommandArgument(commandLine.c_str(), 1, namedPath.data(), namedPath.size());
    if (namedPath[0] == '\0') {
        // A path too long to be handed to the load is refused, never cut to another file.
        if (status == kArgumentTooLong)
            ShowNotification(main.parts.instance, Notice::OpenError);
        return;
    }
    SetDlgItemTextW(main.parts.window, IDC_DOCUMENT_VIEW, L"");
    LoadDocument(main.parts, main.work, main.document, namedPath.data());
}

int RunMessageLoop(HWND mainWindow) {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(mainWindow, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

} // namespace

AppState& App() {
    static AppState state;
    return state;
}

int RunMainWindow(HINSTANCE instance) {
    RegisterMainWindowClass(instance);
    // On the heap: the document keeps its paths whole, which takes more room than a stack
    // should give.
    const std::unique_ptr<MainWindow> owned = std::make_unique<MainWindow>();
    MainWindow& main = *owned;
    main.parts.instance = instance;
    App().mainWindow = &main;
    int exitCode = 1;
    HWND window = CreateDialogParamW(instance, L"" VQ_TEMPLATE_MAIN, nullptr, nullptr, 0);
    if (window != nullptr) {
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
        SetFirstControlState(main);
        LoadFileFromCommandLine(main);
        exitCode = RunMessageLoop(window);
    }
    App().mainWindow = nullptr;
    return exitCode;
}
