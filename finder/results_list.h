// The list of encrypted files found by a scan, and its "Open" pop-up menu.
#ifndef VEILQUILL_RESULTS_LIST_H
#define VEILQUILL_RESULTS_LIST_H

#include <windows.h>

#include <string>

#include "util/win_handles.h"

// Column, colours and styles of `list`; called once at start-up.
void SetUpResultsList(HWND list);

// Creates the pop-up menu with its one item "Open".
UniqueMenu CreateResultsMenu();

// Appends one row at the end of `list`; the list keeps its own copy of the text.
void AppendResultRow(HWND list, const char* path);

// The whole path of the topmost selected row of `list`, or an empty text when no row is
// selected; then no row keeps the focus mark either.
std::string CaptureSelectedPath(HWND list);

#endif
