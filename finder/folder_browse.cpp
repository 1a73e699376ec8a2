#include "finder/folder_browse.h"

#include <ole2.h>
#include <shlobj.h>

#include "util/win_handles.h"

namespace {

constexpr char kBrowseTitle[] = "To view sub-folders, click a plus sign.";
// Only file-system folders can be chosen, no network computers below the domain, an edit box
// for a typed name, and the resizable new-style dialog.
constexpr UINT kBrowseFlags =
    BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;

} // namespace

std::optional<std::string> BrowseForScanFolder(HWND owner) {
    OleInitialization ole = InitializeOle();
    BROWSEINFOA browse{};
    browse.hwndOwner = owner;
    browse.lpszTitle = kBrowseTitle;
    browse.ulFlags = kBrowseFlags;
    UniqueTaskMemory chosen(SHBrowseForFolderA(&browse));
    // The shell writes at most MAX_PATH characters, the terminator included.
    char folder[MAX_PATH] = {};
    if (chosen.get() == nullptr ||
        !SHGetPathFromIDListA(static_cast<PIDLIST_ABSOLUTE>(chosen.get()), folder) ||
        folder[0] == '\0')
        return std::nullopt;
    return std::string(folder) + '\\';
}
