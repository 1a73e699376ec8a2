// The main window's commands that need nothing but the window: "About" and "Help".
#ifndef VEILQUILL_UI_COMMANDS_H
#define VEILQUILL_UI_COMMANDS_H

#include <windows.h>

// Runs the About box from the templates of `instance` modally, owned by (and so disabling) the
// main window, until "Close".
void AboutCommand(HWND mainWindow, HINSTANCE instance);

// Hands the help file, Help\Veilquill.chm above the program's folder, to the shell.
void HelpCommand(HWND mainWindow);

#endif
