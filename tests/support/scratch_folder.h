// A fresh, empty folder for one test, removed with everything in it when the object goes.
#ifndef VEILQUILL_TESTS_SCRATCH_FOLDER_H
#define VEILQUILL_TESTS_SCRATCH_FOLDER_H

#include <string>

#include "tests/support/files.h"

namespace vqtest {

// Its name starts with `prefix`. It lies below `under` when that is given; otherwise, on
// Windows, below the Wine session's folder when there is one (VQ_WINE_SESSION_DIR, on drive
// Z:, so Browse for Folder can reach it), else below the Windows temp folder, and on Linux
// below TMPDIR (else /tmp).
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& prefix = "vqtest", const std::string& under = "");
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
