#include "ui/about_dialog.h"

void AboutCommand(HWND) {}
void HelpCommand(HWND) {}
