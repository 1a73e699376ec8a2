#include "finder/scan_run.h"

bool ScanRun::BeginVisit() {
    SrwExclusiveLock guard = LockExclusive(lock_);
    if (StopRequested())
        return false;
    ++visits_;
    return true;
}

bool ScanRun::TakeUpEntry(const char* name) {
    SrwExclusiveLock guard = LockExclusive(lock_);
    if (StopRequested())
        return false;
    entryName_.assign(name);
    return true;
}

bool ScanRun::AddFound(const std::string& path) {
    SrwExclusiveLock guard = LockExclusive(lock_);
    if (StopRequested())
        return false;
    newRows_.push_back(path);
    ++found_;
    return true;
}

void ScanRun::Finish() {
    SrwExclusiveLock guard = LockExclusive(lock_);
    if (!StopRequested())
        finished_ = true;
}

void ScanRun::RequestStop() {
    SrwExclusiveLock guard = LockExclusive(lock_);
    stopRequested_.store(true, std::memory_order_release);
}

ScanProgress ScanRun::TakeProgress() {
    ScanProgress progress;
    SrwExclusiveLock guard = LockExclusive(lock_);
    progress.visits = visits_;
    progress.found = found_;
    progress.entryName = entryName_;
    progress.newRows.swap(newRows_);
    progress.finished = finished_;
    return progress;
}
