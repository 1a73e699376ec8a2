#include "finder/folder_browse.h"

#include <ole2.h>
#include <shlobj.h>

#include <vector>

#include "platform/win32_wide_text.h"
#include "platform/win32_handles.h"

namespace {

constexpr wchar_t kBrowseTitle[] = L"To view sub-folders, click a plus sign.";
// The longest path the system hands out, in UTF-16 units with the terminator.
constexpr DWORD kLongestPath = 32768;
// Only file-system folders can be chosen, no network computers below the domain, an edit box
// for a typed name, and the resizable new-style dialog.
constexpr UINT kBrowseFlags =
    BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;

} // namespace

std::optional<std::string> BrowseForScanFolder(HWND owner) {
    OleInitialization ole = InitializeOle();
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.lpszTitle = kBrowseTitle;
    browse.ulFlags = kBrowseFlags;
    UniqueTaskMemory chosen(SHBrowseForFolderW(&browse));
    if (chosen.get() == nullptr)
        return std::nullopt;
    // A folder's path may be longer than the old limit of 260 characters.
    std::vector<wchar_t> folder(kLongestPath, L'\0');
    if (!SHGetPathFromIDListEx(static_cast<PCIDLIST_ABSOLUTE>(chosen.get()), folder.data(),
                               kLongestPath, GPFIDL_DEFAULT) ||
        folder[0] == L'\0')
        return std::nullopt;
    return Utf8FromWide(folder.data()) + '\\';
}
