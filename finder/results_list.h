// The list of encrypted files found by a scan, and its "Open" pop-up menu.
#ifndef VEILQUILL_RESULTS_LIST_H
#define VEILQUILL_RESULTS_LIST_H

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32_handles.h"

// Column, colours and styles of `list`; called once at start-up.
void SetUpResultsList(HWND list);

// Creates the pop-up menu with its one item "Open".
UniqueMenu CreateResultsMenu();

// Appends one row for each path at the end of `list`, in order; the list keeps its own copies.
// The list updates its scroll bar and repaints once for the lot, not once a row.
void AppendResultRows(HWND list, const std::vector<std::string>& paths);

// The whole path of the topmost selected row of `list`, or an empty text when no row is
// selected; then no row keeps the focus mark either.
std::string CaptureSelectedPath(HWND list);

#endif
