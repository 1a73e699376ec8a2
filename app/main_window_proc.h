// The window procedure of the main window: where every user action enters the program.
#ifndef VEILQUILL_MAIN_WINDOW_PROC_H
#define VEILQUILL_MAIN_WINDOW_PROC_H

#include <windows.h>

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
