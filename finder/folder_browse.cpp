#include "finder/folder_browse.h"

#include <ole2.h>
#include <shlobj.h>

#include "app/app_state.h"
#include "util/win_handles.h"

namespace {

constexpr char kBrowseTitle[] = "To view sub-folders, click a plus sign.";
// Only file-system folders can be chosen, no network computers below the domain, an edit box
// for a typed name, and the resizable new-style dialog.
constexpr UINT kBrowseFlags =
    BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
constexpr int kBrowseChosen = 1;

} // namespace

int BrowseForScanRoot(HWND owner) {
    char* root = App().scan.scanRoot;
    OleInitialization ole = InitializeOle();
    BROWSEINFOA browse{};
    browse.hwndOwner = owner;
    browse.pidlRoot = nullptr;
    browse.pszDisplayName = nullptr;
    browse.lpszTitle = kBrowseTitle;
    browse.ulFlags = kBrowseFlags;
    browse.lpfn = nullptr;
    browse.iImage = 0;
    UniqueTaskMemory chosen(SHBrowseForFolderA(&browse));
    // The shell writes at most MAX_PATH characters; the root has room for one more backslash.
    if (chosen.get() == nullptr ||
        !SHGetPathFromIDListA(static_cast<PIDLIST_ABSOLUTE>(chosen.get()), root) ||
        root[0] == '\0') {
        ZeroMemory(root, sizeof App().scan.scanRoot);
        return kBrowseCancelled;
    }
    lstrcatA(root, "\\");
    return kBrowseChosen;
}
