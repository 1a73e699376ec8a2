// One folder scan's own record, shared by the scan thread that fills it and the
// user-interface thread that shows it. A lock guards everything but the stop flag's quick
// check, and every change the scan thread makes first checks the stop request under that
// lock: once RequestStop has returned, the record no longer changes, so the summary taken
// then agrees with the rows.
#ifndef VEILQUILL_SCAN_RUN_H
#define VEILQUILL_SCAN_RUN_H

#include <windows.h>

#include <atomic>
#include <cstdint>
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

#endif
