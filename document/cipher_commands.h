// "Encrypt" and "Decrypt": ask for a key and show the transformed file as a preview.
#ifndef VEILQUILL_CIPHER_COMMANDS_H
#define VEILQUILL_CIPHER_COMMANDS_H

#include <windows.h>

void EncryptCommand(HWND mainWindow);
void DecryptCommand(HWND mainWindow);

#endif
