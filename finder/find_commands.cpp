#include "finder/find_commands.h"

#include <commctrl.h>

#include <memory>

#include "app/app_state.h"
#include "finder/folder_browse.h"
#include "finder/scan_display.h"
#include "finder/scan_run.h"
#include "finder/scan_worker.h"
#include "ui/control_states.h"
#include "ui/status_bar.h"
#include "ui/status_texts.h"

namespace {

void ShowEmptyResultsList() {
    AppState& app = App();
    SendMessageA(app.resultsList, LVM_DELETEALLITEMS, 0, 0);
    ShowWindow(app.documentView, SW_HIDE);
    ShowWindow(app.resultsList, SW_SHOWNORMAL);
    UpdateWindow(app.resultsList);
}

void StartScan(HWND mainWindow) {
    ScanState& scan = App().scan;
    ApplyButtonEvent(mainWindow, ButtonEvent::ScanStarted);
    SetPaneText(kPaneName, kScanStarted);
    auto run = std::make_shared<ScanRun>(scan.scanRoot);
    HWND relay = ScanRelayWindow();
    scan.workerThreadId = relay != nullptr ? StartScanWorker(run, relay) : 0;
    if (scan.workerThreadId == 0) {
        // No thread: the scan ends before its first visit.
        ApplyButtonEvent(mainWindow, ButtonEvent::ScanEnded);
        ShowScanSummary(0, 0);
        return;
    }
    ShowScanRun(run);
}

} // namespace

void FindEncryptedCommand(HWND mainWindow) {
    // A scan still running (possible after "Clear") is stopped first: every scan's counts and
    // rows are its own.
    EndRunningScan(false);
    ShowEmptyResultsList();
    ClearAllPanes();
    if (BrowseForScanRoot(mainWindow) == kBrowseCancelled) {
        ApplyButtonEvent(mainWindow, ButtonEvent::BrowseCancelled);
        return;
    }
    StartScan(mainWindow);
}

void StopFindCommand(HWND mainWindow) {
    ApplyButtonEvent(mainWindow, ButtonEvent::ScanEnded);
    EndRunningScan(true);
}
