// The temporary files that new content is written into on Windows, beside the file it is for.
// Each is marked for deletion as soon as it is made, so that it cannot outlive the process
// even when the process is killed; the mark is cleared only at the swap. A kill in the moment
// of the swap leaves the new content under its temporary name (vq~*.tmp): every job that
// writes into a folder first removes such files there. A running job's temporary file is open
// without sharing its deletion, so that clean-up cannot remove it.
#ifndef VEILQUILL_WIN32_TEMP_FILES_H
#define VEILQUILL_WIN32_TEMP_FILES_H

#include <string>

#include "core/file_access.h"
#include "platform/win32_handles.h"

// A temporary file in `folder` (ending in a backslash), already marked for deletion, made
// after the folder's stale temporary files are removed. With a `keptName` (a file written in
// place) it is named after it, so that the folder's clean-up never takes it: if the write is
// cut short it is the only whole form of the new content.
FileFailure CreateDoomedFile(const std::string& folder, const std::string& keptName,
                             UniqueHandle& file, std::string& path);

#endif
