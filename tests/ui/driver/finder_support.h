// What the finder's black-box tests need beyond the driver library: folder links made by the
// file system underneath Wine, and the focus state of list rows.
#ifndef VEILQUILL_FINDER_SUPPORT_H
#define VEILQUILL_FINDER_SUPPORT_H

#include <windows.h>

#include <string>

namespace vqtest {

// Makes `link` (a Windows path) a Unix symbolic link to the folder `target` (a Windows path),
// which Windows programs under Wine see as a folder link (a reparse point). Waits until the
// link is there; false when it could not be made.
bool MakeFolderLink(const std::string& link, const std::string& target);

// Removes such a link without touching what it points to (Windows calls would reach through
// it). Waits until it is gone.
bool RemoveFolderLink(const std::string& link);

// Runs a Unix shell script (sh -c) and waits until it has made the file `doneMarker` (a
// Windows path), which the script must make as its last step; false on timeout. Far faster
// than Windows calls under Wine for making thousands of files.
bool RunUnixScript(const std::string& script, const std::string& doneMarker,
                   DWORD timeoutMs = 120000);

// The state bits of a list row (LVM_GETITEMSTATE) under `mask`, for example LVIS_FOCUSED.
UINT ListRowState(HWND list, int row, UINT mask);
// Sets state bits of one row, or of every row with row -1 (LVM_SETITEMSTATE).
bool SetListRowState(HWND list, int row, UINT state, UINT mask);

} // namespace vqtest

#endif
