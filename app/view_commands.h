// The main window's own commands, and the ones that route between its parts: "Open File",
// the results list's "Open", "Clear", "Exit" and what is dropped on the window.
#ifndef VEILQUILL_VIEW_COMMANDS_H
#define VEILQUILL_VIEW_COMMANDS_H

#include <windows.h>
#include <shellapi.h>

#include "app/app_state.h"

void OpenFileCommand(MainWindow& main);
// Loads the file of the row the results list's menu was opened on.
void OpenSelectedCommand(MainWindow& main);
void ClearCommand(MainWindow& main);
void ExitCommand(HWND mainWindow);
// Files or folders dropped on the window: the first is taken, a file loaded as "Open File"
// would, a folder scanned as "Find Encrypted" would, when that button could be pressed now.
// The drop is always finished.
void DropCommand(MainWindow& main, HDROP drop);

// The document view takes the results list's place, empty, with empty panes, for a load.
void ShowEmptyDocumentView(const WindowParts& parts);

#endif
