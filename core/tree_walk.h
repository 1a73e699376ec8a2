// The scan for encrypted files: a depth-first walk of a folder tree that counts every entry
// it takes up and tests every entry that is not a folder for the trailer.
#ifndef VEILQUILL_TREE_WALK_H
#define VEILQUILL_TREE_WALK_H

#include <cstdint>
#include <string>

#include "core/folder_entry.h"

// What differs by platform.
class ScanFolders {
  public:
    virtual ~ScanFolders() = default;
    // The character that ends a folder path and separates names.
    virtual char Separator() const = 0;
    // Lists `folder` (which ends in the separator); false when it cannot be listed.
    virtual bool ForEachEntry(const std::string& folder, const EntryVisitor& visit) = 0;
    // The last two bytes of the file at `path`, read without changing the file or its
    // attributes and whatever its size; false when it cannot be opened or is shorter.
    virtual bool ReadLastTwo(const std::string& path, unsigned char lastTwo[2]) = 0;
};

// What the walk reports to. Each returns false once the scan is to stop; the walk then
// returns at once through every level, and nothing more is counted, tested or listed.
class ScanObserver {
  public:
    virtual ~ScanObserver() = default;
    virtual bool BeginVisit() = 0;
    virtual bool TakeUpEntry(const std::string& name) = 0;
    virtual bool AddFound(const std::string& path) = 0;
    virtual bool StopRequested() = 0;
};

// Entries whose names begin with "." are passed over with everything below them.
bool SkipsEntry(const std::string& name);

// Every entry that is not a folder (or a link to one) is tested for the trailer.
bool TestsEntry(EntryKind kind);

// Only a real folder is entered: a link back into the tree cannot make the walk go round.
bool EntersEntry(EntryKind kind);

// The number of entries a scan took up, from its visits: every visit but the first folder's.
constexpr std::uint32_t EntriesOfVisits(std::uint32_t visits) {
    return visits == 0 ? 0 : visits - 1;
}

// Whether the file at `path` ends in the trailer.
bool EndsInTrailer(ScanFolders& folders, const std::string& path);

// One visit of `folder` (ending in the separator): counts it, then takes up each entry in
// the order the file system delivers them; each entry is tested when it is not a folder
// (TestsEntry), then counted by a visit of its own, and a folder's whole subtree is finished before
// the next entry. So the visits number the entries below the first folder, plus one. `folder` is
// extended while the walk runs and is the same again when it returns. False when a stop was seen.
bool WalkTree(ScanFolders& folders, ScanObserver& observer, std::string& folder);

#endif
