// "About" and "Help".
#ifndef VEILQUILL_ABOUT_DIALOG_H
#define VEILQUILL_ABOUT_DIALOG_H

#include <windows.h>

void AboutCommand(HWND mainWindow);
void HelpCommand(HWND mainWindow);

#endif
