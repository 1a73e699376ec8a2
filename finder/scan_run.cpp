#include "finder/scan_run.h"

bool ScanRun::BeginVisit() {
    Guard guard(lock_);
    if (StopRequested())
        return false;
    ++visits_;
    return true;
}

bool ScanRun::TakeUpEntry(const char* name) {
    Guard guard(lock_);
    if (StopRequested())
        return false;
    entryName_.assign(name);
    return true;
}

bool ScanRun::AddFound(const std::string& path) {
    Guard guard(lock_);
    if (StopRequested())
        return false;
    newRows_.push_back(path);
    ++found_;
    return true;
}

void ScanRun::Finish() {
    Guard guard(lock_);
    if (!StopRequested())
        finished_ = true;
}

void ScanRun::RequestStop() {
    Guard guard(lock_);
    stopRequested_.store(true, std::memory_order_release);
}

ScanProgress ScanRun::TakeProgress() {
    ScanProgress progress;
    Guard guard(lock_);
    progress.visits = visits_;
    progress.found = found_;
    progress.entryName = entryName_;
    progress.newRows.swap(newRows_);
    progress.finished = finished_;
    return progress;
}
