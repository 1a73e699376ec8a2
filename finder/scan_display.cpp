#include "finder/scan_display.h"

#include <new>
#include <string>

#include "finder/results_list.h"
#include "finder/scan_run.h"
#include "ui/control_states.h"
#include "ui/status_bar.h"
#include "util/number_text.h"

namespace {

constexpr wchar_t kRelayClass[] = L"VeilquillScanRelay";
// The relay's one timer.
constexpr UINT_PTR kProgressTimer = 1;
// Twice a second: the counters and names still run on before the eye (and a name stays long
// enough to be read), rows appear within half a second of being found, and drawing stays a
// small share of the scan. Under Wine a status bar update costs about 10 ms and a batch of
// rows about 40 ms of the window's thread, the X server and the wine server, all of which the
// walk needs too: at 20 updates a second the scan through the window took about twice as long
// as the walk alone, at 4 about 1.2 times, at 2 about as long.
constexpr UINT kProgressPeriodMs = 500;

// The number shown for a scan: the count as it stood at the start of the latest visit, which
// is the number of entries below the chosen folder visited so far.
std::string VisitedEntriesText(std::uint32_t visits) {
    char digits[16] = {};
    UnsignedDecimalText(visits == 0 ? 0 : visits - 1, digits, sizeof digits);
    return digits;
}

void ShowProgress(FinderState& finder, const ScanProgress& progress) {
    HWND bar = finder.window.statusBar;
    if (progress.visits != finder.shownVisits) {
        finder.shownVisits = progress.visits;
        SetPaneText(bar, kPaneState,
                    (kScanProgressPrefix + VisitedEntriesText(progress.visits)).c_str());
    }
    if (progress.entryName != finder.shownEntry) {
        finder.shownEntry = progress.entryName;
        SetPaneText(bar, kPaneSize, finder.shownEntry.c_str());
    }
}

void ListNewRows(const FinderState& finder, const ScanProgress& progress) {
    AppendResultRows(finder.window.resultsList, progress.newRows);
}

void StopProgressTimer(const FinderState& finder) {
    if (finder.relay)
        KillTimer(finder.relay.get(), kProgressTimer);
}

// Brings what the running scan has done since the last call to the window; when its walk has
// ended, swaps the buttons back and shows the summary.
void PumpScanProgress(FinderState& finder) {
    if (!finder.running)
        return;
    const ScanProgress progress = finder.running->TakeProgress();
    ListNewRows(finder, progress);
    ShowProgress(finder, progress);
    if (!progress.finished)
        return;
    StopProgressTimer(finder);
    finder.running.reset();
    ApplyButtonEvent(finder.window.window, ButtonEvent::ScanEnded);
    ShowScanSummary(finder.window, progress.visits, progress.found);
}

FinderState* FinderOf(HWND relay) {
    return reinterpret_cast<FinderState*>(GetWindowLongPtrW(relay, GWLP_USERDATA));
}

// Pumps the progress of the finder that made the relay.
void PumpRelayedProgress(HWND relay) {
    FinderState* finder = FinderOf(relay);
    if (finder == nullptr)
        return;
    try {
        PumpScanProgress(*finder);
    } catch (const std::bad_alloc&) {
        // No memory for the rows: they wait for the next pump.
    }
}

LRESULT CALLBACK RelayProc(HWND relay, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE: {
        // The finder that made the relay comes with its creation.
        const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrW(relay, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
        return DefWindowProcW(relay, message, wParam, lParam);
    }
    case WM_TIMER:
        if (wParam == kProgressTimer)
            PumpRelayedProgress(relay);
        return 0;
    case kScanEndedMessage:
        PumpRelayedProgress(relay);
        return 0;
    default:
        return DefWindowProcW(relay, message, wParam, lParam);
    }
}

} // namespace

HWND ScanRelayWindow(FinderState& finder) {
    if (finder.relay)
        return finder.relay.get();
    WNDCLASSEXW relayClass{};
    relayClass.cbSize = sizeof relayClass;
    relayClass.lpfnWndProc = RelayProc;
    relayClass.hInstance = finder.window.instance;
    relayClass.lpszClassName = kRelayClass;
    RegisterClassExW(&relayClass); // fails harmlessly when the class is registered already
    finder.relay.reset(CreateWindowExW(0, kRelayClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE,
                                       nullptr, finder.window.instance, &finder));
    return finder.relay.get();
}

void ShowScanRun(FinderState& finder, const std::shared_ptr<ScanRun>& run) {
    finder.running = run;
    finder.shownVisits = 0;
    finder.shownEntry.clear();
    SetTimer(finder.relay.get(), kProgressTimer, kProgressPeriodMs, nullptr);
}

void EndRunningScan(FinderState& finder, bool showSummary) {
    if (!finder.running)
        return;
    finder.running->RequestStop();
    // The run changes no more from here on, so this is the scan's last word.
    const ScanProgress progress = finder.running->TakeProgress();
    StopProgressTimer(finder);
    finder.running.reset();
    if (!showSummary)
        return;
    ListNewRows(finder, progress);
    ShowScanSummary(finder.window, progress.visits, progress.found);
}

void ShowScanSummary(const WindowParts& window, std::uint32_t visits, std::uint32_t found) {
    HWND bar = window.statusBar;
    ClearAllPanes(bar);
    SetPaneText(bar, kPaneName, (kScanSummaryScannedPrefix + VisitedEntriesText(visits)).c_str());
    char foundDigits[16] = {};
    UnsignedDecimalText(found, foundDigits, sizeof foundDigits);
    SetPaneText(
        bar, kPaneState,
        (std::string(kScanSummaryFoundPrefix) + foundDigits + kScanSummaryFoundSuffix).c_str());
    if (found > 0)
        ShowEncryptedIcon(window, true);
}
