// Folder listings on Linux, for the scan and the records folder.
#ifndef VEILQUILL_POSIX_FOLDERS_H
#define VEILQUILL_POSIX_FOLDERS_H

#include <string>

#include "core/folder_entry.h"

// Lists the folder at `path`; files' sizes are looked up only when asked for. False when it
// cannot be listed.
bool ListFolder(const std::string& path, bool withSizes, const EntryVisitor& visit);

#endif
