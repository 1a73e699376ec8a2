#include "cli/find_command.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "cli/messages.h"
#include "core/tree_walk.h"
#include "platform/platform.h"
#include "platform/program_text.h"

namespace {

// The window's summary, without the spaces that lay it out in the status bar.
constexpr char kScannedText[] = "Number of files scanned:  ";
constexpr char kFoundPrefix[] = "Found ";
constexpr char kFoundSuffix[] = " encrypted file(s)";

// Prints each find as it comes and counts the scan.
class PrintingObserver : public ScanObserver {
  public:
    explicit PrintingObserver(char end) : end_(end) {}

    bool BeginVisit() override {
        ++visits_;
        return true;
    }
    bool TakeUpEntry(const std::string&) override { return true; }
    bool AddFound(const std::string& path) override {
        WriteText(stdout, path + end_);
        ++found_;
        return true;
    }
    bool StopRequested() override { return false; }

    std::uint32_t Visits() const { return visits_; }
    std::uint32_t Found() const { return found_; }

  private:
    char end_;
    std::uint32_t visits_ = 0;
    std::uint32_t found_ = 0;
};

} // namespace

int RunFind(const CommandOptions& options) {
    ScanFolders& folders = SystemScanFolders();
    std::uint32_t entries = 0;
    std::uint32_t found = 0;
    bool failed = false;
    for (const std::string& given : options.paths) {
        std::string root = given;
        if (root.empty() || (root.back() != folders.Separator() && root.back() != '/'))
            root += folders.Separator();
        if (!folders.ForEachEntry(root, [](const FolderEntry&) { return false; })) {
            Warn("find: " + given + ": not a folder, or it cannot be listed");
            failed = true;
            continue;
        }
        PrintingObserver observer(options.nulSeparated ? '\0' : '\n');
        WalkTree(folders, observer, root);
        entries += EntriesOfVisits(observer.Visits());
        found += observer.Found();
    }
    std::fflush(stdout);
    if (!options.quiet) {
        Warn(kScannedText + std::to_string(entries));
        Warn(kFoundPrefix + std::to_string(found) + kFoundSuffix);
    }
    return failed ? kExitFailure : kExitSuccess;
}
