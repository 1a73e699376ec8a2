// The main window as the commands of the layers above see it: the window itself (its buttons
// are found by id), the controls they draw on, the module their dialogs come from, the icon
// the status bar shows for an encrypted file and the fonts the view shows a text in. The main
// window owns it for its whole life.
#ifndef VEILQUILL_WINDOW_PARTS_H
#define VEILQUILL_WINDOW_PARTS_H

#include <windows.h>

#include "platform/win32_handles.h"

struct WindowParts {
    HINSTANCE instance = nullptr;
    HWND window = nullptr;
    HWND documentView = nullptr;
    HWND resultsList = nullptr;
    HWND statusBar = nullptr;
    UniqueIcon encryptedIcon;
    // A text in the system's code page is shown in the raster "Terminal" face; a Unicode text
    // in a TrueType face whose characters reach past any one code page.
    UniqueFont codePageFont;
    UniqueFont unicodeFont;
};

#endif
