// The four-pane status bar at the bottom of the main window.
#ifndef VEILQUILL_STATUS_BAR_H
#define VEILQUILL_STATUS_BAR_H

#include <windows.h>

// Creates the status bar as a child of the main window with its four parts.
HWND CreateStatusBar(HWND mainWindow, HINSTANCE instance);

// Puts a text into a pane. Safe from any thread: the change is carried out on the
// user-interface thread.
void SetPaneText(int pane, const char* text);

// Shows the encrypted icon in pane 2, or removes it.
void ShowEncryptedIcon(bool shown);

// Panes 0, 1 and 3 get the blank text; pane 2 loses its icon.
void ClearAllPanes();

#endif
