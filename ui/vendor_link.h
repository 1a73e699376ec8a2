// The About box's web link: a plain static control, subclassed so that it shows its text in
// blue and underlined, takes the mouse with a hand cursor, and hands the vendor's web address
// to the shell when clicked.
#ifndef VEILQUILL_VENDOR_LINK_H
#define VEILQUILL_VENDOR_LINK_H

#include <windows.h>

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
