#include "finder/folder_walk.h"

#include <windows.h>

#include "finder/scan_run.h"
#include "finder/trailer_check.h"
#include "util/win_handles.h"

namespace {

constexpr char kSearchPattern[] = "*.*";

bool WalkEntries(ScanRun& run, std::string& folder);

// Takes up one entry whose path `path` holds (without a trailing backslash): tests it, then
// visits it. Only a real folder is entered; for a file, a folder link or anything else the
// visit ends once it is counted.
bool TestAndVisitEntry(ScanRun& run, std::string& path, const WIN32_FIND_DATAA& entry) {
    const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool isLink = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (!run.TakeUpEntry(entry.cFileName))
        return false;
    if (!isFolder && !TestAndListFile(run, path))
        return false;
    if (!run.BeginVisit())
        return false;
    if (!isFolder || isLink)
        return true;
    path += '\\';
    return WalkEntries(run, path);
}

// The entries of one folder that has just been counted.
bool WalkEntries(ScanRun& run, std::string& folder) {
    const std::size_t folderLength = folder.size();
    folder += kSearchPattern;
    WIN32_FIND_DATAA entry;
    UniqueFind search(FindFirstFileExA(folder.c_str(), FindExInfoBasic, &entry,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    folder.resize(folderLength);
    if (!search.valid())
        return true; // a folder that cannot be listed ends its visit without a word

    bool goOn = true;
    do {
        if (entry.cFileName[0] == '.')
            continue;
        if (run.StopRequested())
            return false;
        folder += entry.cFileName;
        goOn = TestAndVisitEntry(run, folder, entry);
        folder.resize(folderLength);
    } while (goOn && FindNextFileA(search.get(), &entry));
    return goOn;
}

} // namespace

bool WalkFolder(ScanRun& run, std::string& folder) {
    if (!run.BeginVisit())
        return false;
    return WalkEntries(run, folder);
}

bool TestAndListFile(ScanRun& run, const std::string& path) {
    if (!FileEndsInTrailer(path.c_str()))
        return !run.StopRequested();
    return run.AddFound(path);
}
