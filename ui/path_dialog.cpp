#include "ui/path_dialog.h"

#include <cderr.h>
#include <commdlg.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/win32_wide_text.h"

namespace {

constexpr wchar_t kFilter[] = L"All Files\0*.*\0Text Files\0*.txt\0";

constexpr DWORD kOpenFlags =
    OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES;
constexpr DWORD kSaveFlags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_LONGNAMES;

} // namespace

PathAnswer AskForPath(HWND owner, PathQuestion question, DialogPath& dialog) {
    // The dialog works on its own UTF-16 copy of the path, long enough for any path.
    std::vector<wchar_t> path(kDialogPathUnits, L'\0');
    const std::wstring start = WideFromUtf8(dialog.path);
    std::memcpy(path.data(), start.c_str(),
                std::min(start.size(), path.size() - 1) * sizeof(wchar_t));
    OPENFILENAMEW record{};
    // The record's first published size, which these dialogs have always been given.
    record.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    record.hwndOwner = owner;
    record.lpstrFilter = kFilter;
    record.nFilterIndex = dialog.filterIndex;
    record.lpstrFile = path.data();
    record.nMaxFile = static_cast<DWORD>(path.size());
    record.Flags = question == PathQuestion::kOpen ? kOpenFlags : kSaveFlags;
    const BOOL chosen =
        question == PathQuestion::kOpen ? GetOpenFileNameW(&record) : GetSaveFileNameW(&record);
    dialog.filterIndex = record.nFilterIndex;
    if (chosen == TRUE) {
        const std::string chosenPath = Utf8FromWide(path.data());
        if (chosenPath.size() < sizeof dialog.path) {
            std::memcpy(dialog.path, chosenPath.c_str(), chosenPath.size() + 1);
            return PathAnswer::kChosen;
        }
    } else if (CommDlgExtendedError() != FNERR_BUFFERTOOSMALL) {
        return PathAnswer::kCancelled;
    }
    // The path does not fit: what is left of it must not pass for a path.
    dialog.path[0] = '\0';
    return PathAnswer::kTooLong;
}
