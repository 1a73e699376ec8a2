// Folder listings on Windows, for the scan and the records folder.
#ifndef VEILQUILL_WIN32_FOLDERS_H
#define VEILQUILL_WIN32_FOLDERS_H

#include <string>

#include "core/folder_entry.h"

// Lists `folder` (ending in a backslash) with the files' sizes; false when it cannot be listed.
bool ListFolder(const std::string& folder, const EntryVisitor& visit);

#endif
