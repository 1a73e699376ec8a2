// Scratch files on Windows: in %TEMP%, open without sharing and deleted by the system when
// their handle closes (FILE_FLAG_DELETE_ON_CLOSE), also when the program is killed.
#ifndef VEILQUILL_WIN32_SCRATCH_FILE_H
#define VEILQUILL_WIN32_SCRATCH_FILE_H

#include <memory>

#include "core/file_access.h"

[[nodiscard]] FileFailure CreateScratchFile(std::unique_ptr<ScratchFile>& out);

#endif
