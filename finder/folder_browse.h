// The folder browse dialog that picks the folder a scan searches.
#ifndef VEILQUILL_FOLDER_BROWSE_H
#define VEILQUILL_FOLDER_BROWSE_H

#include <windows.h>

// What BrowseForScanRoot returns when the user cancelled.
constexpr int kBrowseCancelled = 0xDEAD;

// Shows the modal browse dialog over `owner`. When a folder is chosen, ScanRoot holds its
// path with one backslash appended and the result is not kBrowseCancelled; when the user
// cancels (or the choice has no file-system path), ScanRoot is emptied and the result is
// kBrowseCancelled.
int BrowseForScanRoot(HWND owner);

#endif
