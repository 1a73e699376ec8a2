#include "ui/path_dialog.h"

#include <cderr.h>
#include <commdlg.h>

namespace {

constexpr char kFilter[] = "All Files\0*.*\0Text Files\0*.txt\0";

constexpr DWORD kOpenFlags =
    OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES;
constexpr DWORD kSaveFlags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_LONGNAMES;

} // namespace

PathAnswer AskForPath(HWND owner, PathQuestion question, DialogPath& dialog) {
    OPENFILENAMEA record{};
    // The record's first published size (76 bytes), which these dialogs have always been given.
    record.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    record.hwndOwner = owner;
    record.lpstrFilter = kFilter;
    record.nFilterIndex = dialog.filterIndex;
    record.lpstrFile = dialog.path;
    record.nMaxFile = sizeof dialog.path;
    record.Flags = question == PathQuestion::kOpen ? kOpenFlags : kSaveFlags;
    const BOOL chosen =
        question == PathQuestion::kOpen ? GetOpenFileNameA(&record) : GetSaveFileNameA(&record);
    dialog.filterIndex = record.nFilterIndex;
    if (chosen == TRUE)
        return PathAnswer::kChosen;
    if (CommDlgExtendedError() != FNERR_BUFFERTOOSMALL)
        return PathAnswer::kCancelled;
    // The dialog has left the length it needed in the buffer, which must not pass for a path.
    dialog.path[0] = '\0';
    return PathAnswer::kTooLong;
}
