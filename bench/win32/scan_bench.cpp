// The folder scan on one tree, next to a minimal scanner and to a naive scan that reads every
// file whole, in the same run.
//
//   scan_bench.exe <folder> [rounds] [full]
//
// With "full", the naive scan also runs with its status texts: one message from the
// scan thread to the status bar for every visit and every entry.
//
// Every scanner runs once per round, in turn, and the best round of each counts, so that a
// burst of load from other processes does not fall on one scanner only. Times are wall-clock:
// under Wine most of a file call's cost lies in the wine server, outside this process.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cipher/encrypted_trailer.h"
#include "finder/finder_state.h"
#include "finder/scan_run.h"
#include "finder/results_list.h"
#include "finder/scan_display.h"
#include "ui/status_bar.h"
#include "tests/support/test_handles.h"
#include "platform/win32_handles.h"
#include "bench/win32/bench_clock.h"
#include "bench/win32/minimal_scanner.h"

namespace {

// ---------------------------------------------------------------------------------------------
// The naive scan: every entry tested as a file (opened for reading and writing, read
// whole into a zero-filled block of its 32-bit size + 1) and then enumerated as a folder. Its
// per-visit and per-entry status texts are sent only when `statusBar` is given.

void SendPaneText(HWND statusBar, int pane, const std::string& text) {
    SendMessageA(statusBar, SB_SETTEXTA, static_cast<WPARAM>(pane),
                 reinterpret_cast<LPARAM>(text.c_str()));
}

void NaiveWalk(const std::string& folder, Tally& tally, HWND statusBar) {
    if (statusBar != nullptr)
        SendPaneText(statusBar, 1, "     Scanned files:  " + std::to_string(tally.entries));
    ++tally.entries;
    WIN32_FIND_DATAA entry;
    UniqueFind search(FindFirstFileA((folder + "*.*").c_str(), &entry));
    if (!search.valid())
        return;
    do {
        if (entry.cFileName[0] == '.')
            continue;
        const std::string path = folder + entry.cFileName;
        UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
        if (file.valid()) {
            const DWORD size = GetFileSize(file.get(), nullptr);
            if (size != 0 && size != INVALID_FILE_SIZE) {
                ZeroedBlock block(static_cast<SIZE_T>(size) + 1);
                if (block.valid()) {
                    DWORD read = 0;
                    ReadFile(file.get(), block.data(), size, &read, nullptr);
                    tally.bytesRead += read;
                    if (size >= kTrailerLength && IsTrailer(block.data() + size - kTrailerLength))
                        ++tally.found;
                }
            }
        }
        NaiveWalk(path + "\\", tally, statusBar);
    } while (FindNextFileA(search.get(), &entry));
}

// ---------------------------------------------------------------------------------------------
// The program's own scan: its walk alone on this thread, and the whole scan as the program runs
// it, with its thread, and the status bar and the list of a window on this thread.

Tally ProgramWalk(const std::string& root) {
    ScanRun run(root);
    std::string folder = root;
    WalkFolder(run, folder);
    const ScanProgress progress = run.TakeProgress();
    Tally tally;
    tally.entries = progress.visits - 1;
    tally.found = progress.found;
    tally.bytesRead = kNotCounted;
    return tally;
}

// The window the program's scan draws on, with its status bar and results list.
WindowParts& BenchWindow() {
    static WindowParts window;
    return window;
}
FinderState& BenchFinder() {
    static FinderState finder(BenchWindow());
    return finder;
}

bool MakeScanWindow() {
    WindowParts& app = BenchWindow();
    app.instance = GetModuleHandleA(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    app.window = CreateWindowExA(0, "STATIC", "scan bench", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400,
                                 nullptr, nullptr, app.instance, nullptr);
    if (app.window == nullptr)
        return false;
    app.statusBar = CreateStatusBar(app.window, app.instance);
    app.resultsList = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0,
                                      500, 300, app.window, nullptr, app.instance, nullptr);
    SetUpResultsList(app.resultsList);
    return app.statusBar != nullptr && app.resultsList != nullptr &&
           ScanRelayWindow(BenchFinder()) != nullptr;
}

// The naive walk on a thread of its own, its status texts sent to this thread's status bar.
Tally NaiveScanWithStatusTexts(const std::string& root) {
    Tally tally;
    std::atomic<bool> done{false};
    std::thread walker([&] {
        NaiveWalk(root, tally, BenchWindow().statusBar);
        done = true;
        PostMessageA(BenchWindow().window, WM_NULL, 0, 0);
    });
    MSG message;
    while (!done && GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    walker.join();
    --tally.entries;
    return tally;
}

Tally ProgramScan(const std::string& root) {
    SendMessageA(BenchWindow().resultsList, LVM_DELETEALLITEMS, 0, 0);
    auto run = std::make_shared<ScanRun>(root);
    if (StartScanWorker(run, ScanRelayWindow(BenchFinder())) == 0)
        return Tally{};
    ShowScanRun(BenchFinder(), run);
    MSG message;
    while (BenchFinder().running && GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    const ScanProgress progress = run->TakeProgress();
    Tally tally;
    tally.entries = progress.visits - 1;
    tally.found = progress.found;
    tally.bytesRead = kNotCounted;
    if (static_cast<std::uint64_t>(
            SendMessageA(BenchWindow().resultsList, LVM_GETITEMCOUNT, 0, 0)) != tally.found)
        std::printf("  (the list does not hold every row found!)\n");
    return tally;
}

struct Scanner {
    Scanner(const char* scannerName, std::function<Tally()> work)
        : name(scannerName), scan(std::move(work)) {}
    const char* name;
    std::function<Tally()> scan;
    double best = 1e30;
    Tally tally;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: scan_bench <folder> [rounds]\n");
        return 2;
    }
    std::string root = argv[1];
    if (root.back() != '\\')
        root += '\\';
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    if (!MakeScanWindow()) {
        std::fprintf(stderr, "scan_bench: no window for the program's scan\n");
        return 1;
    }

    std::vector<Scanner> scanners = {
        {"minimal scanner",
         [&] {
             Tally tally;
             MinimalWalk(root, tally);
             return tally;
         }},
        {"program: walk on its thread",
         [&] {
             Tally tally;
             std::thread([&] { tally = ProgramWalk(root); }).join();
             return tally;
         }},
        {"program: whole scan", [&] { return ProgramScan(root); }},
        {"naive: whole-file reading",
         [&] {
             Tally tally;
             NaiveWalk(root, tally, nullptr);
             --tally.entries; // the chosen folder's own visit
             return tally;
         }},
    };

    if (argc > 3 && std::string(argv[3]) == "full")
        scanners.emplace_back("naive, with status texts",
                              [&] { return NaiveScanWithStatusTexts(root); });

    // One unmeasured pass first, so every scanner meets the same warm caches.
    Tally warm;
    MinimalWalk(root, warm);
    for (int round = 0; round < rounds; ++round) {
        for (Scanner& scanner : scanners) {
            const double start = Now();
            scanner.tally = scanner.scan();
            scanner.best = std::min(scanner.best, Now() - start);
        }
    }

    std::printf("tree %s: %llu entries, %llu encrypted files; best of %d rounds\n\n", root.c_str(),
                static_cast<unsigned long long>(warm.entries),
                static_cast<unsigned long long>(warm.found), rounds);
    std::printf("%-28s %9s %9s %9s %8s %14s\n", "scanner", "seconds", "us/entry", "entries",
                "found", "bytes read");
    const double baseline = scanners[0].best;
    for (const Scanner& scanner : scanners) {
        const std::string bytes =
            scanner.tally.bytesRead == kNotCounted ? "-" : std::to_string(scanner.tally.bytesRead);
        std::printf("%-28s %9.3f %9.1f %9llu %8llu %14s   %.2fx minimal\n", scanner.name,
                    scanner.best, scanner.best * 1e6 / static_cast<double>(warm.entries),
                    static_cast<unsigned long long>(scanner.tally.entries),
                    static_cast<unsigned long long>(scanner.tally.found), bytes.c_str(),
                    scanner.best / baseline);
    }
    return 0;
}
