// "Find Encrypted" and "Stop Find": the background scan of a folder tree.
#ifndef VEILQUILL_FIND_COMMANDS_H
#define VEILQUILL_FIND_COMMANDS_H

#include <windows.h>

void FindEncryptedCommand(HWND mainWindow);
void StopFindCommand(HWND mainWindow);

#endif
