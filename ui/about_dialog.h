// "About" and "Help".
#ifndef VEILQUILL_ABOUT_DIALOG_H
#define VEILQUILL_ABOUT_DIALOG_H

#include <windows.h>

// Runs the About box modally, owned by (and so disabling) the main window, until "Close".
void AboutCommand(HWND mainWindow);
// Hands the help file, Help\Veilquill.chm above the program's folder, to the shell.
void HelpCommand(HWND mainWindow);

// The About box's dialog procedure. It closes only through "Close": Enter and Escape do
// nothing, and the box has no close box.
INT_PTR CALLBACK AboutDialogProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam);

#endif
