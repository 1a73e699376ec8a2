// "Save As": commits an encrypt or decrypt preview to disk.
#ifndef VEILQUILL_SAVE_COMMANDS_H
#define VEILQUILL_SAVE_COMMANDS_H

#include <windows.h>

void SaveEncrypted(HWND mainWindow);
void SaveDecrypted(HWND mainWindow);

#endif
