// The About box: the program's banner, its version and the vendor's web link.
#ifndef VEILQUILL_ABOUT_DIALOG_H
#define VEILQUILL_ABOUT_DIALOG_H

#include <windows.h>

// The About box's dialog procedure. It closes only through "Close": Enter and Escape do
// nothing, and the box has no close box.
INT_PTR CALLBACK AboutDialogProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam);

#endif
