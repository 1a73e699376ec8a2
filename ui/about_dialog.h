// The About box: the program's banner, its version and the vendor's web link. The link is a
// plain static control, subclassed so that it shows its text in blue and underlined, takes the
// mouse with a hand cursor, and hands the vendor's web address to the shell when clicked.
#ifndef VEILQUILL_ABOUT_DIALOG_H
#define VEILQUILL_ABOUT_DIALOG_H

#include <windows.h>

// Runs the About box from the templates of `instance` modally, owned by (and so disabling) the
// main window, until "Close".
void AboutCommand(HWND mainWindow, HINSTANCE instance);

// The About box's dialog procedure. It closes only through "Close": Enter and Escape do
// nothing, and the box has no close box.
INT_PTR CALLBACK AboutDialogProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam);

// The vendor's web address as the link hands it to the shell: a bare host name.
extern const char kVendorAddress[];

// Subclasses the About box's link control (IDC_VENDOR_LINK) with VendorLinkProc. The link keeps
// its underlined font and its cursor until the control is destroyed with the box, and then
// removes its subclass. Returns false when the box has no such control or the link's state
// cannot be made (the control then stays a plain static text).
bool SubclassVendorLink(HWND aboutBox);

// The link's subclass procedure; `state` is the link's own state, made by SubclassVendorLink.
LRESULT CALLBACK VendorLinkProc(HWND link, UINT message, WPARAM wParam, LPARAM lParam,
                                UINT_PTR subclassId, DWORD_PTR state);

#endif
