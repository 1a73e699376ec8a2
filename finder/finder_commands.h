// The finder's commands: "Find Encrypted", "Stop Find" and the results list's pop-up menu.
#ifndef VEILQUILL_FINDER_COMMANDS_H
#define VEILQUILL_FINDER_COMMANDS_H

#include <string>

#include "finder/finder_state.h"

// Asks for a folder and starts the background scan of its tree.
void FindEncryptedCommand(FinderState& finder);
// Starts the background scan of `folder` (its path with one backslash appended) as if it had
// been chosen in the browse dialog: for a folder dropped on the window.
void ScanFolderCommand(FinderState& finder, const std::string& folder);
// Stops the running scan and shows what it found so far.
void StopFindCommand(FinderState& finder);

// A right-click on the main window: takes the topmost selected row's path into the finder's
// selectedPath and shows the menu when a row is selected. Its "Open" reaches the main window
// as a menu command (IDM_RESULTS_OPEN).
void ResultsContextMenu(FinderState& finder);

#endif
