// One entry of a folder listing, as every platform delivers it.
#ifndef VEILQUILL_FOLDER_ENTRY_H
#define VEILQUILL_FOLDER_ENTRY_H

#include <cstdint>
#include <functional>
#include <string>

enum class EntryKind {
    kFile,       // a file, or a link to one
    kFolder,     // a real folder
    kFolderLink, // a link (symbolic link, junction) to a folder
    kOther,      // anything else: a device, a pipe, a broken link
};

struct FolderEntry {
    std::string name;
    EntryKind kind = EntryKind::kOther;
    std::uint64_t size = 0; // files only
};

// Called for each entry in the order the file system delivers them; returning false ends
// the listing early.
using EntryVisitor = std::function<bool(const FolderEntry&)>;

#endif
