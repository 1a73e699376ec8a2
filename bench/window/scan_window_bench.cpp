// The folder scan as the user sees it: a copy of the real program, in a folder of its own,
// is driven through "Find Encrypted" and the Browse for Folder dialog, and the time from
// "Stop Find" appearing to the summary is taken, next to the minimal scanner (enumerate, open,
// read two bytes, close) on the same tree in the same Wine session.
//
//   scan_window_bench.exe <folder> [rounds] [label=program.exe ...]
//
// Without programs, the program of VQ_PROGRAM is driven. With several, each round drives every
// one of them in turn, so that before and after meet the same load. Each scan through the window
// comes right after a scan by the minimal scanner, and its ratio is taken to that one: load from
// other processes that comes and goes falls on both alike. Each figure is the median of its
// rounds.
//
// While the scan runs, the driver only looks at the buttons' own visibility, which sends the
// program no message; the status bar and the list are read once, after the summary.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/win32/bench_clock.h"
#include "bench/win32/minimal_scanner.h"
#include "driver/ui_driver.h"
#include "tests/support/control_ids.h"
#include "tests/support/expected_texts.h"

namespace {

// Often enough to time a scan of seconds to a fraction of a percent, seldom enough that the
// driver's own calls do not slow the program.
constexpr DWORD kButtonPollMs = 5;
constexpr DWORD kScanTimeoutMs = 600000;

struct Program {
    std::string label;
    std::string path; // as VQ_PROGRAM takes it
    std::vector<double> seconds;
    std::vector<double> ratios; // to the minimal scan just before, round by round
    std::string summary;        // of the latest round
    std::string found;
    int rows = 0;
};

struct Yardstick {
    std::vector<double> seconds;
    Tally tally;
};

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

bool WaitForShown(HWND button) {
    const double deadline = Now() + kScanTimeoutMs / 1000.0;
    while (!vqtest::IsShown(button)) {
        if (Now() > deadline)
            return false;
        Sleep(kButtonPollMs);
    }
    return true;
}

// One scan of `tree` through a fresh copy of the program: the seconds from "Stop Find"
// appearing to the summary, or a negative number when the scan could not be driven.
double ScanThroughWindow(Program& program, const std::string& tree) {
    SetEnvironmentVariableA("VQ_PROGRAM", program.path.c_str());
    vqtest::ProgramUnderTest copy;
    if (!copy.Start())
        return -1;
    HWND window = copy.MainWindow();
    if (!vqtest::ClickControl(window, vqtest::kFindEncrypted))
        return -1;
    HWND browse = vqtest::WaitForBrowseDialog(copy.Pid());
    if (browse == nullptr || !vqtest::ChooseFolderInBrowser(browse, tree))
        return -1;
    if (!WaitForShown(copy.MainControl(vqtest::kStopFind)))
        return -1;
    const double start = Now();
    // The buttons are swapped back just before the summary is put up, on the same turn of the
    // window's thread: the read below waits for that turn to end.
    if (!WaitForShown(copy.MainControl(vqtest::kFindEncrypted)))
        return -1;
    double end = Now();
    HWND bar = copy.StatusBar();
    program.summary = vqtest::PaneText(bar, 0);
    while (program.summary.compare(0, vqtest::kScannedPrefix.size(), vqtest::kScannedPrefix) != 0) {
        if (Now() - end > 10)
            return -1;
        Sleep(kButtonPollMs);
        program.summary = vqtest::PaneText(bar, 0);
        end = Now();
    }
    program.found = vqtest::PaneText(bar, 1);
    program.rows = vqtest::ListRowCount(copy.ResultsList());
    return end - start;
}

double MinimalScan(const std::string& tree, Tally& tally) {
    tally = Tally{};
    const double start = Now();
    MinimalWalk(tree, tally);
    return Now() - start;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: scan_window_bench <folder> [rounds] [label=program.exe ...]\n");
        return 2;
    }
    std::string tree = argv[1];
    while (tree.size() > 3 && tree.back() == '\\')
        tree.pop_back();
    const std::string treeWithBackslash = tree + '\\';
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    std::vector<Program> programs;
    for (int i = 3; i < argc; ++i) {
        const std::string argument = argv[i];
        const std::size_t equals = argument.find('=');
        Program program;
        program.label = equals == std::string::npos ? argument : argument.substr(0, equals);
        program.path = equals == std::string::npos ? argument : argument.substr(equals + 1);
        programs.push_back(program);
    }
    if (programs.empty()) {
        Program program;
        program.label = "program";
        char path[MAX_PATH] = {};
        GetEnvironmentVariableA("VQ_PROGRAM", path, sizeof path);
        program.path = path;
        programs.push_back(program);
    }

    Yardstick minimal;
    MinimalScan(treeWithBackslash, minimal.tally); // one unmeasured pass: warm caches for all
    for (int round = 0; round < rounds; ++round) {
        std::printf("round %d:", round + 1);
        for (Program& program : programs) {
            const double yardstick = MinimalScan(treeWithBackslash, minimal.tally);
            minimal.seconds.push_back(yardstick);
            const double seconds = ScanThroughWindow(program, tree);
            if (seconds < 0) {
                std::printf("\n%s: the scan could not be driven\n", program.label.c_str());
                return 1;
            }
            program.seconds.push_back(seconds);
            program.ratios.push_back(seconds / yardstick);
            std::printf("  minimal %.3f s, %s %.3f s (%.2fx);", yardstick, program.label.c_str(),
                        seconds, seconds / yardstick);
        }
        std::printf("\n");
        std::fflush(stdout);
    }

    const double yardstick = Median(minimal.seconds);
    std::printf("\ntree %s: %llu entries, %llu encrypted files; median of %d rounds\n\n",
                tree.c_str(), static_cast<unsigned long long>(minimal.tally.entries),
                static_cast<unsigned long long>(minimal.tally.found), rounds);
    std::printf("%-24s %9s %9s  %s\n", "scanner", "seconds", "us/entry",
                "ratio to the minimal scan before it");
    const auto perEntry = [&](double seconds) {
        return seconds * 1e6 /
               static_cast<double>(std::max<std::uint64_t>(1, minimal.tally.entries));
    };
    std::printf("%-24s %9.3f %9.1f  1.00x\n", "minimal scanner", yardstick, perEntry(yardstick));
    for (const Program& program : programs) {
        const double median = Median(program.seconds);
        std::printf("%-24s %9.3f %9.1f  %.2fx (ratio of the medians %.2fx)\n",
                    program.label.c_str(), median, perEntry(median), Median(program.ratios),
                    median / yardstick);
    }
    std::printf("\n");
    for (const Program& program : programs) {
        const std::string expectedSummary =
            vqtest::kScannedPrefix + std::to_string(minimal.tally.entries);
        const bool right = program.summary == expectedSummary &&
                           program.found == vqtest::FoundText(minimal.tally.found) &&
                           static_cast<std::uint64_t>(program.rows) == minimal.tally.found;
        std::printf("%s: \"%s\" / \"%s\", %d rows%s\n", program.label.c_str(),
                    program.summary.c_str(), program.found.c_str(), program.rows,
                    right ? "" : "  (NOT what the minimal scanner counted!)");
    }
    return 0;
}
