// The four-pane status bar at the bottom of the main window.
#ifndef VEILQUILL_STATUS_BAR_H
#define VEILQUILL_STATUS_BAR_H

#include <windows.h>

#include "ui/window_parts.h"

// Creates the status bar as a child of the main window with its four parts.
HWND CreateStatusBar(HWND mainWindow, HINSTANCE instance);

// Puts a text into a pane of `bar`. Safe from any thread: the change is carried out on the
// user-interface thread.
void SetPaneText(HWND bar, int pane, const char* text);

// Shows `icon` in pane 2, or removes the icon there when it is null.
void SetPaneIcon(HWND bar, HICON icon);

// Shows the main window's encrypted icon in pane 2, or removes it.
void ShowEncryptedIcon(const WindowParts& window, bool shown);

// Panes 0, 1 and 3 get the blank text; pane 2 loses its icon.
void ClearAllPanes(HWND bar);

#endif
