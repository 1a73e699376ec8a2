// The list of encrypted files found by a scan, and its "Open" pop-up menu.
#ifndef VEILQUILL_RESULTS_LIST_H
#define VEILQUILL_RESULTS_LIST_H

#include <windows.h>

// Column, colours and styles; called once at start-up.
void SetUpResultsList();

// Creates the pop-up menu with its one item "Open".
HMENU CreateResultsMenu();

// Appends one row at the end of the list; the list keeps its own copy of the text.
void AppendResultRow(const char* path);

// Reads the topmost selected row into SelectedPathText and hands it to the load through
// NamedFilePath. With no row selected, SelectedPathText is left empty, NamedFilePath is not
// touched, and no row keeps the focus mark.
void CaptureSelectedPath();

// A right-click on the main window: shows the menu when a row is selected.
void ResultsContextMenu(HWND mainWindow);

// The menu's "Open": loads the selected row's file.
void OpenSelectedCommand(HWND mainWindow);

#endif
