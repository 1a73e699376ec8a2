// The main window made from the "DLGWIN" template, and the program's one message loop.
#ifndef VEILQUILL_MAIN_WINDOW_H
#define VEILQUILL_MAIN_WINDOW_H

#include <windows.h>

// Registers the class, creates the window, sets its first state, loads a file named on the
// command line and runs the message loop. Returns the exit code once the window has gone and
// everything it owned is freed.
int RunMainWindow(HINSTANCE instance);

#endif
