#include "core/tree_walk.h"

#include "cipher/encrypted_trailer.h"

namespace {

bool WalkEntries(ScanFolders& folders, ScanObserver& observer, std::string& folder);

// One entry whose path `path` holds: tested, then visited.
bool TestAndVisitEntry(ScanFolders& folders, ScanObserver& observer, std::string& path,
                       const FolderEntry& entry) {
    if (!observer.TakeUpEntry(entry.name))
        return false;
    if (TestsEntry(entry.kind) && EndsInTrailer(folders, path) && !observer.AddFound(path))
        return false;
    if (observer.StopRequested() || !observer.BeginVisit())
        return false;
    if (!EntersEntry(entry.kind))
        return true;
    path += folders.Separator();
    return WalkEntries(folders, observer, path);
}

bool WalkEntries(ScanFolders& folders, ScanObserver& observer, std::string& folder) {
    const std::size_t folderLength = folder.size();
    bool goOn = true;
    folders.ForEachEntry(folder, [&](const FolderEntry& entry) {
        if (SkipsEntry(entry.name))
            return true;
        if (observer.StopRequested()) {
            goOn = false;
            return false;
        }
        folder += entry.name;
        goOn = TestAndVisitEntry(folders, observer, folder, entry);
        folder.resize(folderLength);
        return goOn;
    });
    return goOn; // a folder that cannot be listed ends its visit without a word
}

} // namespace

bool SkipsEntry(const std::string& name) {
    return name.empty() || name[0] == '.';
}

bool TestsEntry(EntryKind kind) {
    return kind != EntryKind::kFolder && kind != EntryKind::kFolderLink;
}

bool EntersEntry(EntryKind kind) {
    return kind == EntryKind::kFolder;
}

bool EndsInTrailer(ScanFolders& folders, const std::string& path) {
    unsigned char lastTwo[kTrailerLength] = {};
    return folders.ReadLastTwo(path, lastTwo) && IsTrailer(lastTwo);
}

bool WalkTree(ScanFolders& folders, ScanObserver& observer, std::string& folder) {
    if (!observer.BeginVisit())
        return false;
    return WalkEntries(folders, observer, folder);
}
