// A fresh, empty folder for one test, removed with everything in it when the object goes.
#ifndef VEILQUILL_TESTS_SCRATCH_FOLDER_H
#define VEILQUILL_TESTS_SCRATCH_FOLDER_H

#include <string>

#include "tests/support/files.h"

namespace vqtest {

// It lies below the Wine session's folder when there is one (VQ_WINE_SESSION_DIR, on drive
// Z:, so Browse for Folder can reach it), otherwise below the Windows temp folder.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& prefix = "vqtest");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return JoinPath(path_, name); }
    // The folder with a trailing backslash, as the checksum store and a scan take it.
    std::string WithBackslash() const { return path_ + "\\"; }
    void Keep() { keep_ = true; } // leave it on disk for inspection

  private:
    std::string path_;
    bool keep_ = false;
};

} // namespace vqtest

#endif
