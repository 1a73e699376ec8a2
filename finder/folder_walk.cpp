#include "finder/folder_walk.h"

#include "core/tree_walk.h"
#include "finder/scan_run.h"
#include "platform/platform.h"

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
