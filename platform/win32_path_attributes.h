// What the programs ask of a path on Windows: its full form, what its attributes say, and the
// one change to them a save needs.
#ifndef VEILQUILL_WIN32_PATH_ATTRIBUTES_H
#define VEILQUILL_WIN32_PATH_ATTRIBUTES_H

#include <cstdint>
#include <string>

// The full form of `path`, any length, without the long-path prefix unless `path` has it;
// false when it has none.
bool FullPath(const char* path, std::string& full);

// Whether anything (a file or a folder) has the name `path`.
bool EntryExists(const std::string& path);

// Whether `path` names a folder (or a link to one).
bool IsFolder(const std::string& path);

// The size of the file at `path` as its folder lists it; 0 when unknown.
std::uint64_t ListedFileSize(const std::string& path);

// A read-only or hidden file gets the plain archive attribute, so that it can be saved.
// Folders are left as they are: Explorer marks customised folders read-only or system.
void NormaliseFileAttributes(const std::string& path);

#endif
