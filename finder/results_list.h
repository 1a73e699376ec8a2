// The list of encrypted files found by a scan, and its "Open" pop-up menu.
#ifndef VEILQUILL_RESULTS_LIST_H
#define VEILQUILL_RESULTS_LIST_H

#include <windows.h>

// Column, colours and styles; called once at start-up.
void SetUpResultsList();

// Creates the pop-up menu with its one item "Open".
HMENU CreateResultsMenu();

// A right-click on the main window: shows the menu when a row is selected.
void ResultsContextMenu(HWND mainWindow);

// The menu's "Open": loads the selected row's file.
void OpenSelectedCommand(HWND mainWindow);

#endif
