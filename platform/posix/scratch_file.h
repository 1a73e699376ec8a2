// Scratch files on Linux: unnamed from the start (O_TMPFILE, or a name removed at once where the
// file system has no unnamed files) in $TMPDIR, else /tmp, readable only by their user.
#ifndef VEILQUILL_POSIX_SCRATCH_FILE_H
#define VEILQUILL_POSIX_SCRATCH_FILE_H

#include <memory>

#include "core/file_access.h"

[[nodiscard]] FileFailure CreateScratchFile(std::unique_ptr<ScratchFile>& out);

#endif
