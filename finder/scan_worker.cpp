#include "finder/scan_worker.h"

#include <string>

#include "finder/folder_walk.h"
#include "finder/scan_run.h"
#include "platform/win32_handles.h"

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
