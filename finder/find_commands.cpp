#include "finder/find_commands.h"

void FindEncryptedCommand(HWND) {}
void StopFindCommand(HWND) {}
