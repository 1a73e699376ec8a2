#include "document/save_commands.h"

void SaveEncrypted(HWND) {}
void SaveDecrypted(HWND) {}
