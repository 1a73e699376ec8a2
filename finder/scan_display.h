// The user-interface thread's side of a running scan: its progress in the status bar, its
// rows in the results list, and its summary.
#ifndef VEILQUILL_SCAN_DISPLAY_H
#define VEILQUILL_SCAN_DISPLAY_H

#include <windows.h>

#include <cstdint>
#include <memory>

#include "finder/finder_state.h"
#include "ui/window_parts.h"

class ScanRun;

// The finder's relay window, which receives the scan thread's end message and the progress
// timer; made on first use. Null when it cannot be made.
HWND ScanRelayWindow(FinderState& finder);

// From now on the window shows `run`: its progress at the screen's pace, its rows as they
// are found, and its summary when its walk ends.
void ShowScanRun(FinderState& finder, const std::shared_ptr<ScanRun>& run);

// Ends the running scan, if any: nothing of it reaches the window afterwards. With
// `showSummary` the rows found so far are listed and the summary shows the counts reached.
void EndRunningScan(FinderState& finder, bool showSummary);

// Clears the four panes, then shows "Number of files scanned" with the count of entries
// visited and "Found ... encrypted file(s)", and the encrypted icon when files were found.
// `visits` counts the chosen folder's own visit.
void ShowScanSummary(const WindowParts& window, std::uint32_t visits, std::uint32_t found);

#endif
