// What a Windows error means for a file job.
#ifndef VEILQUILL_WIN32_FILE_FAILURE_H
#define VEILQUILL_WIN32_FILE_FAILURE_H

#include <windows.h>

#include "core/file_access.h"

// The failure `error` (from GetLastError) stands for; `otherwise` for an error with no
// meaning of its own.
FileFailure FailureOf(DWORD error, FileFailure otherwise);

#endif
