// The About box's web link: a plain static control, subclassed so that it shows its text in
// blue and underlined, takes the mouse with a hand cursor, and hands the vendor's web address
// to the shell when clicked.
#ifndef VEILQUILL_VENDOR_LINK_H
#define VEILQUILL_VENDOR_LINK_H

#include <windows.h>

// The vendor's web address as the link hands it to the shell: a bare host name.
extern const char kVendorAddress[];

// Takes control 80 of the About box and installs VendorLinkProc on it. The link keeps its
// underlined font and its cursor until the control is destroyed with the box, and then puts
// the control's own procedure back. Returns false when the box has no such control or the
// link's state cannot be made (the control then stays a plain static text).
bool SubclassVendorLink(HWND aboutBox);

LRESULT CALLBACK VendorLinkProc(HWND link, UINT message, WPARAM wParam, LPARAM lParam);

#endif
