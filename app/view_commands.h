// The main window's own commands, and the ones that route between its parts: "Open File",
// the results list's "Open", "Clear" and "Exit".
#ifndef VEILQUILL_VIEW_COMMANDS_H
#define VEILQUILL_VIEW_COMMANDS_H

#include <windows.h>

#include "app/app_state.h"

void OpenFileCommand(MainWindow& main);
// Loads the file of the row the results list's menu was opened on.
void OpenSelectedCommand(MainWindow& main);
void ClearCommand(MainWindow& main);
void ExitCommand(HWND mainWindow);

#endif
