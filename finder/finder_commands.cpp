// "Find Encrypted" and "Stop Find": the background scan of a folder tree.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "finder/finder_commands.h"
#include "finder/scan_display.h"
#include "finder/scan_run.h"
#include "ui/control_states.h"
#include "ui/status_bar.h"
#include "platform/win32_handles.h"
#include "platform/win32_wide_text.h"

namespace {

constexpr wchar_t kBrowseTitle[] = L"To view sub-folders, click a plus sign.";
// The longest path the system hands out, in UTF-16 units with the terminator.
constexpr DWORD kLongestPath = 32768;
// Only file-system folders can be chosen, no network computers below the domain, an edit box
// for a typed name, and the resizable new-style dialog.
constexpr UINT kBrowseFlags =
    BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;

// Shows the modal folder browse dialog that picks the folder a scan searches, over `owner`.
// Gives the chosen folder's path with one backslash appended, or nothing when the user cancels
// or the choice has no file-system path.
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

void ShowEmptyResultsList(const WindowParts& window) {
    SendMessageW(window.resultsList, LVM_DELETEALLITEMS, 0, 0);
    ShowWindow(window.documentView, SW_HIDE);
    ShowWindow(window.resultsList, SW_SHOWNORMAL);
    UpdateWindow(window.resultsList);
}

void StartScan(FinderState& finder, const std::string& folder) {
    const WindowParts& window = finder.window;
    ApplyButtonEvent(window.window, ButtonEvent::ScanStarted);
    SetPaneText(window.statusBar, kPaneName, kScanStarted);
    auto run = std::make_shared<ScanRun>(folder);
    HWND relay = ScanRelayWindow(finder);
    finder.workerThreadId = relay != nullptr ? StartScanWorker(run, relay) : 0;
    if (finder.workerThreadId == 0) {
        // No thread: the scan ends before its first visit.
        ApplyButtonEvent(window.window, ButtonEvent::ScanEnded);
        ShowScanSummary(window, 0, 0);
        return;
    }
    ShowScanRun(finder, run);
}

// A scan still running (possible after "Clear") is stopped first: every scan's counts and rows
// are its own. The empty list takes the view's place.
void PrepareScan(FinderState& finder) {
    EndRunningScan(finder, false);
    ShowEmptyResultsList(finder.window);
    ClearAllPanes(finder.window.statusBar);
}

} // namespace

void FindEncryptedCommand(FinderState& finder) {
    PrepareScan(finder);
    const std::optional<std::string> folder = BrowseForScanFolder(finder.window.window);
    if (!folder) {
        ApplyButtonEvent(finder.window.window, ButtonEvent::BrowseCancelled);
        return;
    }
    StartScan(finder, *folder);
}

void ScanFolderCommand(FinderState& finder, const std::string& folder) {
    PrepareScan(finder);
    StartScan(finder, folder);
}

void StopFindCommand(FinderState& finder) {
    ApplyButtonEvent(finder.window.window, ButtonEvent::ScanEnded);
    EndRunningScan(finder, true);
}
