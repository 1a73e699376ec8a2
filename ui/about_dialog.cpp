#include "ui/about_dialog.h"

#include <shellapi.h>

#include "resources/resource_ids.h"
#include "ui/help_path.h"
#include "ui/ui_commands.h"
#include "ui/vendor_link.h"
#include "platform/win32_wide_text.h"

namespace {

// Each static control of the box chooses its own colours: the link answers with its blue
// underlined text, the banner with the default colours of its class.
INT_PTR StaticColours(WPARAM wParam, LPARAM lParam) {
    return static_cast<INT_PTR>(
        SendMessageW(reinterpret_cast<HWND>(lParam), WM_CTLCOLORSTATIC, wParam, lParam));
}

void OnAboutButton(HWND box, int id) {
    if (id == IDC_ABOUT_CLOSE)
        EndDialog(box, 0);
}

} // namespace

INT_PTR CALLBACK AboutDialogProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SubclassVendorLink(box);
        return FALSE; // no control asks for the focus
    case WM_CTLCOLORSTATIC:
        return StaticColours(wParam, lParam);
    case WM_COMMAND:
        // Only a button's click counts; Enter and Escape arrive without a control and are
        // ignored, so "Close" is the one way out.
        if (lParam != 0 && HIWORD(wParam) == BN_CLICKED)
            OnAboutButton(box, LOWORD(wParam));
        return FALSE;
    default:
        return FALSE;
    }
}

void AboutCommand(HWND mainWindow, HINSTANCE instance) {
    DialogBoxParamW(instance, L"" VQ_TEMPLATE_ABOUT, mainWindow, AboutDialogProc, 0);
}

void HelpCommand(HWND mainWindow) {
    const std::string helpPath = BuildHelpPath();
    // A path that cannot be built is not guessed at: nothing opens, as with a missing file.
    if (helpPath.empty())
        return;
    ShellExecuteW(mainWindow, L"open", WideFromUtf8(helpPath).c_str(), nullptr, nullptr,
                  SW_SHOWNORMAL);
}
