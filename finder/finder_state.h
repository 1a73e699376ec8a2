// What the finder keeps for the main window, on the user-interface thread alone: the results
// list's pop-up menu and the row it was opened on, and the scan the window shows. Each scan's
// own counts, rows and stop request live in its ScanRun, which the scan thread shares.
#ifndef VEILQUILL_FINDER_STATE_H
#define VEILQUILL_FINDER_STATE_H

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "ui/window_parts.h"
#include "platform/win32_handles.h"

class ScanRun;

struct FinderState {
    explicit FinderState(const WindowParts& parts) : window(parts) {}
    FinderState(const FinderState&) = delete;
    FinderState& operator=(const FinderState&) = delete;

    // The main window the finder draws on.
    const WindowParts& window;

    // The results list's pop-up menu with its one item "Open".
    UniqueMenu resultsMenu;
    // The path of the topmost selected row at the latest right-click; empty when no row was
    // selected then.
    std::string selectedPath;

    // The scan whose progress and rows the window shows; empty when none runs. A scan that is
    // stopped or finished is let go here, so nothing of it reaches the window afterwards.
    std::shared_ptr<ScanRun> running;
    DWORD workerThreadId = 0;

    // A message-only window of the user-interface thread: its timer brings the running scan's
    // progress to the panes and the list a few times a second, and the scan thread nudges it
    // when it ends. Made on first use.
    UniqueWindow relay;

    // What panes 1 and 3 show of the running scan, so unchanged texts are not sent again.
    std::uint32_t shownVisits = 0;
    std::string shownEntry;
};

#endif
