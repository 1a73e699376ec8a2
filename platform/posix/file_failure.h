// What a Linux error means for a file job.
#ifndef VEILQUILL_POSIX_FILE_FAILURE_H
#define VEILQUILL_POSIX_FILE_FAILURE_H

#include "core/file_access.h"

// The failure `error` (an errno value) stands for; `otherwise` for an error with no meaning
// of its own.
FileFailure FailureOf(int error, FileFailure otherwise);

#endif
