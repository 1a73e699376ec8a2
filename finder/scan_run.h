// One folder scan in the background: the thread that walks the folder tree, the walk, and
// the scan's own record, shared by the scan thread that fills it and the user-interface
// thread that shows it. A lock guards everything but the stop flag's quick
// check, and every change the scan thread makes first checks the stop request under that
// lock: once RequestStop has returned, the record no longer changes, so the summary taken
// then agrees with the rows.
#ifndef VEILQUILL_SCAN_RUN_H
#define VEILQUILL_SCAN_RUN_H

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32_handles.h"

// A copy of the record's state at one moment; the rows are those found since the last take.
struct ScanProgress {
    std::uint32_t visits = 0; // visits begun, the chosen folder's included
    std::uint32_t found = 0;  // files found to end in the trailer
    std::string entryName;    // the name of the latest entry taken up
    std::vector<std::string> newRows;
    bool finished = false; // the walk has run to its end
};

class ScanRun {
  public:
    // `root` is the chosen folder's path ending in a backslash.
    explicit ScanRun(std::string root) : root_(std::move(root)) {}
    ScanRun(const ScanRun&) = delete;
    ScanRun& operator=(const ScanRun&) = delete;

    const std::string& Root() const { return root_; }

    // Scan thread. Each returns false, and changes nothing, once a stop has been requested.
    bool StopRequested() const { return stopRequested_.load(std::memory_order_acquire); }
    bool BeginVisit();
    bool TakeUpEntry(const char* name);
    bool AddFound(const std::string& path);
    void Finish();

    // User-interface thread.
    void RequestStop();
    ScanProgress TakeProgress();

  private:
    const std::string root_;
    std::atomic<bool> stopRequested_{false};
    SRWLOCK lock_ = SRWLOCK_INIT;
    std::uint32_t visits_ = 0;
    std::uint32_t found_ = 0;
    std::string entryName_;
    std::vector<std::string> newRows_;
    bool finished_ = false;
};

// The scan thread.

// The message the scan thread posts to `notify` when its walk has run to its end; wParam
// carries nothing that the receiver needs, the run itself says whether it finished. Any
// number from WM_APP up is the program's own; this one is used for nothing else.
constexpr UINT kScanEndedMessage = WM_APP + 0x51;

// Starts the thread for `run`; it shares the run and posts kScanEndedMessage to `notify` at
// the end. The thread is never waited for; its handle is closed at once. Returns its id, or 0
// when no thread could be made.
DWORD StartScanWorker(const std::shared_ptr<ScanRun>& run, HWND notify);

// The walk the scan thread runs.

// One visit: counts the folder, then takes up each of its entries in the order the file
// system delivers them. An entry that is not a folder (nor a link to one) is checked for the
// trailer and listed when it ends in it; every entry then counts one visit of its own, and a
// folder's whole subtree is finished before the next entry. Names beginning with "." are
// passed over with everything below them. A folder that is a link (a reparse point) counts as
// an entry but is not entered, so a link back into the tree cannot make the walk go round. `folder`
// ends in a backslash; it is extended while the walk runs and is the same again when the call
// returns.
//
// Returns false when the scan's stop was seen: every level then closes its enumeration and
// returns at once, and nothing more is counted, checked or listed.
bool WalkFolder(ScanRun& run, std::string& folder);

#endif
