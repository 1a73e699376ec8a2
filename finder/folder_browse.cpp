#include "finder/folder_browse.h"

#include <ole2.h>
#include <shlobj.h>

#include "app/app_state.h"

namespace {

constexpr char kBrowseTitle[] = "To view sub-folders, click a plus sign.";
// Only file-system folders can be chosen, no network computers below the domain, an edit box
// for a typed name, and the resizable new-style dialog.
constexpr UINT kBrowseFlags =
    BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
constexpr int kBrowseChosen = 1;

// OLE for the dialog's lifetime on the calling thread.
class OleSession {
  public:
    OleSession() { OleInitialize(nullptr); }
    ~OleSession() { OleUninitialize(); }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;
};

// An item list the shell handed over, freed with CoTaskMemFree.
class ItemList {
  public:
    explicit ItemList(PIDLIST_ABSOLUTE items) : items_(items) {}
    ~ItemList() { CoTaskMemFree(items_); }
    ItemList(const ItemList&) = delete;
    ItemList& operator=(const ItemList&) = delete;
    PIDLIST_ABSOLUTE get() const { return items_; }

  private:
    PIDLIST_ABSOLUTE items_;
};

} // namespace

int BrowseForScanRoot(HWND owner) {
    char* root = App().scan.scanRoot;
    OleSession ole;
    BROWSEINFOA browse{};
    browse.hwndOwner = owner;
    browse.pidlRoot = nullptr;
    browse.pszDisplayName = nullptr;
    browse.lpszTitle = kBrowseTitle;
    browse.ulFlags = kBrowseFlags;
    browse.lpfn = nullptr;
    browse.iImage = 0;
    ItemList chosen(SHBrowseForFolderA(&browse));
    // The shell writes at most MAX_PATH characters; the root has room for one more backslash.
    if (chosen.get() == nullptr || !SHGetPathFromIDListA(chosen.get(), root) || root[0] == '\0') {
        ZeroMemory(root, sizeof App().scan.scanRoot);
        return kBrowseCancelled;
    }
    lstrcatA(root, "\\");
    return kBrowseChosen;
}
