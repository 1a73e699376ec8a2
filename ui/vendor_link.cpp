#include "ui/vendor_link.h"

#include <shellapi.h>

#include <new>

#include "resources/resource_ids.h"
#include "util/win_handles.h"

const char kVendorAddress[] = VQ_VENDOR_HOST;

namespace {

constexpr COLORREF kLinkBlue = RGB(0, 0, 255);

// What one link needs while its box is open. The control's GWLP_USERDATA slot points here.
struct VendorLinkState {
    WNDPROC previous = nullptr;
    HCURSOR hand = nullptr;
    UniqueFont underlined; // made once per box, deleted with the control
};

VendorLinkState* StateOf(HWND link) {
    return reinterpret_cast<VendorLinkState*>(GetWindowLongPtrA(link, GWLP_USERDATA));
}

// The control's own font (the dialog's font) with the underline added.
HFONT CreateUnderlinedFont(HWND link) {
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(link, WM_GETFONT, 0, 0));
    if (font == nullptr)
        font = GetStockObject(DEFAULT_GUI_FONT);
    LOGFONTA face{};
    if (GetObjectA(font, sizeof face, &face) != static_cast<int>(sizeof face))
        return nullptr;
    face.lfUnderline = 1;
    return CreateFontIndirectA(&face);
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
    ShellExecuteA(nullptr, "open", kVendorAddress, nullptr, nullptr, SW_SHOWNORMAL);
}

// The control is going away with its box: put its own procedure back and free the state.
LRESULT ReleaseLink(HWND link, VendorLinkState* state, UINT message, WPARAM wParam, LPARAM lParam) {
    const WNDPROC previous = state->previous;
    SetWindowLongPtrA(link, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    SetWindowLongPtrA(link, GWLP_USERDATA, 0);
    delete state;
    return CallWindowProcA(previous, link, message, wParam, lParam);
}

} // namespace

bool SubclassVendorLink(HWND aboutBox) {
    HWND link = GetDlgItem(aboutBox, IDC_VENDOR_LINK);
    if (link == nullptr)
        return false;
    VendorLinkState* state = new (std::nothrow) VendorLinkState;
    if (state == nullptr)
        return false;
    state->hand = LoadCursorA(nullptr, IDC_HAND); // shared by the system, never destroyed
    const WPARAM ownFont = static_cast<WPARAM>(SendMessageA(link, WM_GETFONT, 0, 0));
    state->underlined.reset(CreateUnderlinedFont(link));
    // The control also draws its text with the underlined font: some static controls select
    // their own font only after asking for their colours, which would undo the one chosen
    // while painting.
    if (state->underlined.get() != nullptr)
        SendMessageA(link, WM_SETFONT, reinterpret_cast<WPARAM>(state->underlined.get()), FALSE);
    // The state is in place before the new procedure can see a message.
    SetWindowLongPtrA(link, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    state->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(link, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(VendorLinkProc)));
    if (state->previous == nullptr) {
        SendMessageA(link, WM_SETFONT, ownFont, FALSE);
        SetWindowLongPtrA(link, GWLP_USERDATA, 0);
        delete state;
        return false;
    }
    return true;
}

LRESULT CALLBACK VendorLinkProc(HWND link, UINT message, WPARAM wParam, LPARAM lParam) {
    VendorLinkState* state = StateOf(link);
    if (state == nullptr)
        return DefWindowProcA(link, message, wParam, lParam);
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
        SetCursor(state->hand);
        return TRUE;
    case WM_NCDESTROY:
        return ReleaseLink(link, state, message, wParam, lParam);
    default:
        return CallWindowProcA(state->previous, link, message, wParam, lParam);
    }
}
