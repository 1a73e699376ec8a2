// Commands of the main window that belong to no other part: "Open File", "Clear", "Exit".
#ifndef VEILQUILL_VIEW_COMMANDS_H
#define VEILQUILL_VIEW_COMMANDS_H

#include <windows.h>

void OpenFileCommand(HWND mainWindow);
void ClearCommand(HWND mainWindow);
void ExitCommand(HWND mainWindow);
void SaveAsCommand(HWND mainWindow);

// Forgets the typed key: it must not linger in memory once it is no longer needed.
void WipeCipherKey();

#endif
