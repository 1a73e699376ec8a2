#include "finder/scan_run.h"

#include "core/tree_walk.h"
#include "platform/platform.h"

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

namespace {

// The walk reports to the scan's own record, which the window shows.
class RunObserver : public ScanObserver {
  public:
    explicit RunObserver(ScanRun& run) : run_(run) {}
    bool BeginVisit() override { return run_.BeginVisit(); }
    bool TakeUpEntry(const std::string& name) override { return run_.TakeUpEntry(name.c_str()); }
    bool AddFound(const std::string& path) override { return run_.AddFound(path); }
    bool StopRequested() override { return run_.StopRequested(); }

  private:
    ScanRun& run_;
};

} // namespace

bool WalkFolder(ScanRun& run, std::string& folder) {
    RunObserver observer(run);
    return WalkTree(SystemScanFolders(), observer, folder);
}

namespace {

struct WorkerStart {
    std::shared_ptr<ScanRun> run;
    HWND notify;
};

DWORD WINAPI ScanWorker(LPVOID parameter) {
    std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(parameter));
    ScanRun& run = *start->run;
    try {
        std::string folder = run.Root();
        WalkFolder(run, folder);
    } catch (...) {
        // Out of memory for a path: the walk ends here and the summary shows what was done.
    }
    run.Finish();
    PostMessageW(start->notify, kScanEndedMessage, 0, 0);
    return 0;
}

} // namespace

DWORD StartScanWorker(const std::shared_ptr<ScanRun>& run, HWND notify) {
    auto start = std::make_unique<WorkerStart>(WorkerStart{run, notify});
    DWORD threadId = 0;
    UniqueHandle thread(CreateThread(nullptr, 0, ScanWorker, start.get(), 0, &threadId));
    if (!thread.valid())
        return 0;
    start.release(); // the thread owns it now
    return threadId;
}
