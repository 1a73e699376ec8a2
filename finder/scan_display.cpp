#include "finder/scan_display.h"

#include <string>

#include "app/app_state.h"
#include "finder/results_list.h"
#include "finder/scan_run.h"
#include "finder/scan_worker.h"
#include "ui/control_states.h"
#include "ui/status_bar.h"
#include "ui/status_texts.h"
#include "util/number_text.h"

namespace {

constexpr char kRelayClass[] = "VeilquillScanRelay";
constexpr UINT_PTR kProgressTimer = 1;
// About three screen refreshes: the panes stay current to the eye, and the user-interface
// thread spends next to nothing on them however fast the walk runs.
constexpr UINT kProgressPeriodMs = 50;

// The number shown for a scan: the count as it stood at the start of the latest visit, which
// is the number of entries below the chosen folder visited so far.
std::string VisitedEntriesText(std::uint32_t visits) {
    char digits[16] = {};
    UnsignedDecimalText(visits == 0 ? 0 : visits - 1, digits, sizeof digits);
    return digits;
}

void ShowProgress(const ScanProgress& progress) {
    ScanState& scan = App().scan;
    if (progress.visits != scan.shownVisits) {
        scan.shownVisits = progress.visits;
        SetPaneText(kPaneState,
                    (kScanProgressPrefix + VisitedEntriesText(progress.visits)).c_str());
    }
    if (progress.entryName != scan.shownEntry) {
        scan.shownEntry = progress.entryName;
        SetPaneText(kPaneSize, scan.shownEntry.c_str());
    }
}

void ListNewRows(const ScanProgress& progress) {
    for (const std::string& row : progress.newRows)
        AppendResultRow(row.c_str());
}

void StopProgressTimer() {
    HWND relay = App().scan.relay;
    if (relay != nullptr)
        KillTimer(relay, kProgressTimer);
}

// Brings what the running scan has done since the last call to the window; when its walk has
// ended, swaps the buttons back and shows the summary.
void PumpScanProgress() {
    ScanState& scan = App().scan;
    if (!scan.running)
        return;
    const ScanProgress progress = scan.running->TakeProgress();
    ListNewRows(progress);
    ShowProgress(progress);
    if (!progress.finished)
        return;
    StopProgressTimer();
    scan.running.reset();
    ApplyButtonEvent(App().mainWindow, ButtonEvent::ScanEnded);
    ShowScanSummary(progress.visits, progress.found);
}

LRESULT CALLBACK RelayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kProgressTimer)
            PumpScanProgress();
        return 0;
    case kScanEndedMessage:
        PumpScanProgress();
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

HWND ScanRelayWindow() {
    ScanState& scan = App().scan;
    if (scan.relay != nullptr)
        return scan.relay;
    WNDCLASSEXA relayClass{};
    relayClass.cbSize = sizeof relayClass;
    relayClass.lpfnWndProc = RelayProc;
    relayClass.hInstance = App().instance;
    relayClass.lpszClassName = kRelayClass;
    RegisterClassExA(&relayClass);
    scan.relay = CreateWindowExA(0, kRelayClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 App().instance, nullptr);
    return scan.relay;
}

void ShowScanRun(const std::shared_ptr<ScanRun>& run) {
    ScanState& scan = App().scan;
    scan.running = run;
    scan.shownVisits = 0;
    scan.shownEntry.clear();
    SetTimer(scan.relay, kProgressTimer, kProgressPeriodMs, nullptr);
}

void EndRunningScan(bool showSummary) {
    ScanState& scan = App().scan;
    if (!scan.running)
        return;
    scan.running->RequestStop();
    // The run changes no more from here on, so this is the scan's last word.
    const ScanProgress progress = scan.running->TakeProgress();
    StopProgressTimer();
    scan.running.reset();
    if (!showSummary)
        return;
    ListNewRows(progress);
    ShowScanSummary(progress.visits, progress.found);
}

void ShowScanSummary(std::uint32_t visits, std::uint32_t found) {
    ClearAllPanes();
    SetPaneText(kPaneName, (kScanSummaryScannedPrefix + VisitedEntriesText(visits)).c_str());
    char foundDigits[16] = {};
    UnsignedDecimalText(found, foundDigits, sizeof foundDigits);
    SetPaneText(
        kPaneState,
        (std::string(kScanSummaryFoundPrefix) + foundDigits + kScanSummaryFoundSuffix).c_str());
    if (found > 0)
        ShowEncryptedIcon(true);
}
