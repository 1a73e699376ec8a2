#include "document/cipher_commands.h"

void EncryptCommand(HWND) {}
void DecryptCommand(HWND) {}
