// What the user-interface thread keeps about folder scans. Each scan's own counts, rows and
// stop request live in its ScanRun, which the scan thread shares; this part belongs to the
// user-interface thread alone.
#ifndef VEILQUILL_SCAN_STATE_H
#define VEILQUILL_SCAN_STATE_H

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

class ScanRun;

struct ScanState {
    // The chosen folder with one backslash appended; empty after a cancelled browse.
    char scanRoot[MAX_PATH + 2] = {};

    // The scan whose progress and rows the window shows; empty when none runs. A scan that is
    // stopped or finished is let go here, so nothing of it reaches the window afterwards.
    std::shared_ptr<ScanRun> running;
    DWORD workerThreadId = 0;

    // A message-only window of the user-interface thread: its timer brings the running scan's
    // progress to the panes at the screen's pace, and the scan thread nudges it when it ends.
    HWND relay = nullptr;

    // What panes 1 and 3 show of the running scan, so unchanged texts are not sent again.
    std::uint32_t shownVisits = 0;
    std::string shownEntry;
};

#endif
