// The scan thread: one per scan, walking the run's folder tree in the background.
#ifndef VEILQUILL_SCAN_WORKER_H
#define VEILQUILL_SCAN_WORKER_H

#include <windows.h>

#include <memory>

class ScanRun;

// The message the scan thread posts to `notify` when its walk has run to its end; wParam
// carries nothing that the receiver needs, the run itself says whether it finished. Any
// number from WM_APP up is the program's own; this one is used for nothing else.
constexpr UINT kScanEndedMessage = WM_APP + 0x51;

// Starts the thread for `run`; it shares the run and posts kScanEndedMessage to `notify` at
// the end. The thread is never waited for; its handle is closed at once. Returns its id, or 0
// when no thread could be made.
DWORD StartScanWorker(const std::shared_ptr<ScanRun>& run, HWND notify);

#endif
