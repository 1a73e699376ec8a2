// Paths, whole files and folders for the tests that run on Windows (or Wine). Paths are
// Windows paths ("Z:\tmp\x\a.txt") unless a name says Unix, in UTF-8, of any length.
#ifndef VEILQUILL_TESTS_FILES_H
#define VEILQUILL_TESTS_FILES_H

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/win32_handles.h"

namespace vqtest {

std::string UnixToWindowsPath(const std::string& unixPath);               // "/tmp/a" -> "Z:\tmp\a"
std::string WindowsToUnixPath(const std::string& windowsPath);            // "Z:\tmp\a" -> "/tmp/a"
std::string JoinPath(const std::string& folder, const std::string& name); // one backslash
std::string EnvironmentValue(const char* name);                           // empty when unset

// A whole file's bytes; writing replaces what was there.
bool WriteBytes(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadBytes(const std::string& path);

// A file of `size` bytes that takes no room on disk (sparse), for sizes too big to write.
bool MakeSizedFile(const std::string& path, long long size);
// The file opened for reading the way another program might hold it, sharing only `share`:
// FILE_SHARE_READ | FILE_SHARE_WRITE leaves deletion out, so it cannot be replaced; 0 locks it.
UniqueHandle HoldOpen(const std::string& path, DWORD share);

bool Exists(const std::string& path);     // a file or a folder
bool FileExists(const std::string& path); // a file, not a folder
bool FolderExists(const std::string& path);
bool CopyFileTo(const std::string& from, const std::string& to); // overwrites
bool MakeFolders(const std::string& path);                       // with missing parents
bool RemoveTree(const std::string& path);                        // files and folders below
// The names in a folder, without "." and "..": in the order the folder lists them, or sorted.
std::vector<std::string> Entries(const std::string& folder);
std::vector<std::string> SortedEntries(const std::string& folder);

} // namespace vqtest

#endif
