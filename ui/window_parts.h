// The main window as the commands of the layers above see it: the window itself (its buttons
// are found by id), the controls they draw on, the module their dialogs come from, and the icon
// the status bar shows for an encrypted file. The main window owns it for its whole life.
#ifndef VEILQUILL_WINDOW_PARTS_H
#define VEILQUILL_WINDOW_PARTS_H

#include <windows.h>

#include "util/win_handles.h"

struct WindowParts {
    HINSTANCE instance = nullptr;
    HWND window = nullptr;
    HWND documentView = nullptr;
    HWND resultsList = nullptr;
    HWND statusBar = nullptr;
    UniqueIcon encryptedIcon;
};

#endif
