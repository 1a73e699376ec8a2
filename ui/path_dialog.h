// The Open and Save As dialogs, made afresh for each question from what the last one left.
#ifndef VEILQUILL_PATH_DIALOG_H
#define VEILQUILL_PATH_DIALOG_H

#include <windows.h>

#include <cstddef>

// The dialogs take and give paths of up to 32,767 UTF-16 units (the longest Windows has) and a
// terminator.
constexpr std::size_t kDialogPathUnits = 32768;
// The same path in UTF-8, which takes at most three bytes for each UTF-16 unit.
constexpr std::size_t kDialogPathCapacity = 3 * kDialogPathUnits;

enum class PathQuestion {
    kOpen,   // an existing file to load
    kSaveAs, // where a preview is to be saved
};

enum class PathAnswer {
    kChosen,
    kCancelled,
    kTooLong, // the chosen path does not fit: it is refused, never cut
};

// What each dialog hands on to the next: the path it opens on (its folder and its name) and
// the file type the user chose last (0 is the first of the list). The path is UTF-8.
struct DialogPath {
    char path[kDialogPathCapacity] = {};
    DWORD filterIndex = 0;
};

// Asks `question` with a modal dialog owned by `owner`, opening on `dialog.path`. kChosen:
// `dialog.path` holds the chosen path. kTooLong: `dialog.path` is empty. kCancelled: it is as it
// was. The file type chosen in the dialog is kept in `dialog.filterIndex` whatever the answer.
PathAnswer AskForPath(HWND owner, PathQuestion question, DialogPath& dialog);

#endif
