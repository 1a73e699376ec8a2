// "Find Encrypted" and "Stop Find": the background scan of a folder tree.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "finder/finder_commands.h"
#include "finder/folder_browse.h"
#include "finder/scan_display.h"
#include "finder/scan_run.h"
#include "finder/scan_worker.h"
#include "ui/control_states.h"
#include "ui/status_bar.h"

namespace {

void ShowEmptyResultsList(const WindowParts& window) {
    SendMessageW(window.resultsList, LVM_DELETEALLITEMS, 0, 0);
    ShowWindow(window.documentView, SW_HIDE);
    ShowWindow(window.resultsList, SW_SHOWNORMAL);
    UpdateWindow(window.resultsList);
}

void StartScan(FinderState& finder, const std::string& folder) {
    const WindowParts& window = finder.window;
    ApplyButtonEvent(window.window, ButtonEvent::ScanStarted);
    SetPaneText(window.statusBar, kPaneName, kScanStarted);
    auto run = std::make_shared<ScanRun>(folder);
    HWND relay = ScanRelayWindow(finder);
    finder.workerThreadId = relay != nullptr ? StartScanWorker(run, relay) : 0;
    if (finder.workerThreadId == 0) {
        // No thread: the scan ends before its first visit.
        ApplyButtonEvent(window.window, ButtonEvent::ScanEnded);
        ShowScanSummary(window, 0, 0);
        return;
    }
    ShowScanRun(finder, run);
}

// A scan still running (possible after "Clear") is stopped first: every scan's counts and rows
// are its own. The empty list takes the view's place.
void PrepareScan(FinderState& finder) {
    EndRunningScan(finder, false);
    ShowEmptyResultsList(finder.window);
    ClearAllPanes(finder.window.statusBar);
}

} // namespace

void FindEncryptedCommand(FinderState& finder) {
    PrepareScan(finder);
    const std::optional<std::string> folder = BrowseForScanFolder(finder.window.window);
    if (!folder) {
        ApplyButtonEvent(finder.window.window, ButtonEvent::BrowseCancelled);
        return;
    }
    StartScan(finder, *folder);
}

void ScanFolderCommand(FinderState& finder, const std::string& folder) {
    PrepareScan(finder);
    StartScan(finder, folder);
}

void StopFindCommand(FinderState& finder) {
    ApplyButtonEvent(finder.window.window, ButtonEvent::ScanEnded);
    EndRunningScan(finder, true);
}
