// The folder browse dialog that picks the folder a scan searches.
#ifndef VEILQUILL_FOLDER_BROWSE_H
#define VEILQUILL_FOLDER_BROWSE_H

#include <windows.h>

#include <optional>
#include <string>

// Shows the modal browse dialog over `owner`. Gives the chosen folder's path with one
// backslash appended, or nothing when the user cancels or the choice has no file-system path.
std::optional<std::string> BrowseForScanFolder(HWND owner);

#endif
