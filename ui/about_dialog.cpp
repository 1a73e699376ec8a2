#include "ui/about_dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <new>

#include "resources/resource_ids.h"
#include "platform/win32_handles.h"

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

// The vendor link: its text blue and underlined, a hand cursor, and the vendor's address
// handed to the shell when it is clicked.

const char kVendorAddress[] = VQ_VENDOR_HOST;

namespace {

constexpr COLORREF kLinkBlue = RGB(0, 0, 255);

// The link's one subclass; the id tells it from any other subclass of the control.
constexpr UINT_PTR kVendorLinkSubclass = 1;

// What one link needs while its box is open; the subclass's reference data points here.
struct VendorLinkState {
    UniqueFont underlined; // made once per box, deleted with the control
};

// The control's own font (the dialog's font) with the underline added.
HFONT CreateUnderlinedFont(HWND link) {
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(link, WM_GETFONT, 0, 0));
    if (font == nullptr)
        font = GetStockObject(DEFAULT_GUI_FONT);
    LOGFONTW face{};
    if (GetObjectW(font, sizeof face, &face) != static_cast<int>(sizeof face))
        return nullptr;
    face.lfUnderline = 1;
    return CreateFontIndirectW(&face);
}

LRESULT PaintLinkColours(VendorLinkState& state, HDC dc) {
    if (state.underlined.get() != nullptr)
        SelectObject(dc, state.underlined.get());
    SetTextColor(dc, kLinkBlue);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
}

void OpenVendorAddress() {
    // What the shell makes of it (a browser, or nothing at all) is not the program's concern.
    ShellExecuteW(nullptr, L"open", L"" VQ_VENDOR_HOST, nullptr, nullptr, SW_SHOWNORMAL);
}

// The control is going away with its box: the subclass goes and its state is freed.
LRESULT ReleaseLink(HWND link, VendorLinkState* state, UINT message, WPARAM wParam, LPARAM lParam) {
    RemoveWindowSubclass(link, VendorLinkProc, kVendorLinkSubclass);
    std::unique_ptr<VendorLinkState> owned(state);
    return DefSubclassProc(link, message, wParam, lParam);
}

} // namespace

bool SubclassVendorLink(HWND aboutBox) {
    HWND link = GetDlgItem(aboutBox, IDC_VENDOR_LINK);
    if (link == nullptr)
        return false;
    std::unique_ptr<VendorLinkState> state(new (std::nothrow) VendorLinkState);
    if (!state)
        return false;
    const WPARAM ownFont = static_cast<WPARAM>(SendMessageW(link, WM_GETFONT, 0, 0));
    state->underlined.reset(CreateUnderlinedFont(link));
    // The control also draws its text with the underlined font: some static controls select
    // their own font only after asking for their colours, which would undo the one chosen
    // while painting.
    if (state->underlined.get() != nullptr)
        SendMessageW(link, WM_SETFONT, reinterpret_cast<WPARAM>(state->underlined.get()), FALSE);
    if (!SetWindowSubclass(link, VendorLinkProc, kVendorLinkSubclass,
                           reinterpret_cast<DWORD_PTR>(state.get()))) {
        SendMessageW(link, WM_SETFONT, ownFont, FALSE);
        return false;
    }
    state.release(); // the subclass owns it until WM_NCDESTROY
    return true;
}

LRESULT CALLBACK VendorLinkProc(HWND link, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR reference) {
    VendorLinkState* state = reinterpret_cast<VendorLinkState*>(reference);
    switch (message) {
    case WM_CTLCOLORSTATIC:
        return PaintLinkColours(*state, reinterpret_cast<HDC>(wParam));
    case WM_LBUTTONDOWN:
        OpenVendorAddress();
        return 0;
    case WM_NCHITTEST:
        // Without this a static control lets the mouse through to the box.
        return HTCLIENT;
    case WM_SETCURSOR:
        SetCursor(LoadCursorW(
            nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND))); // shared by the system, never destroyed
        return TRUE;
    case WM_NCDESTROY:
        return ReleaseLink(link, state, message, wParam, lParam);
    default:
        return DefSubclassProc(link, message, wParam, lParam);
    }
}
