// Paths, whole files and folders for the tests, on Windows (or Wine) and on Linux. Paths are
// the system's own, in UTF-8, of any length; on Windows they are Windows paths
// ("Z:\tmp\x\a.txt") unless a name says Unix.
#ifndef VEILQUILL_TESTS_FILES_H
#define VEILQUILL_TESTS_FILES_H

#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "platform/win32_handles.h"
#endif

namespace vqtest {

// The folder and the name with one separator between them (a backslash on Windows).
std::string JoinPath(const std::string& folder, const std::string& name);

// A whole file's bytes; writing replaces what was there.
bool WriteBytes(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadBytes(const std::string& path);

bool Exists(const std::string& path); // a file, a folder or a link, as it is named
// The names in a folder, without "." and "..": in the order the folder lists them, or sorted.
std::vector<std::string> Entries(const std::string& folder);
std::vector<std::string> SortedEntries(const std::string& folder);

#ifdef _WIN32
std::string UnixToWindowsPath(const std::string& unixPath);    // "/tmp/a" -> "Z:\tmp\a"
std::string WindowsToUnixPath(const std::string& windowsPath); // "Z:\tmp\a" -> "/tmp/a"
std::string EnvironmentValue(const char* name);                // empty when unset

// A file of `size` bytes that takes no room on disk (sparse), for sizes too big to write.
bool MakeSizedFile(const std::string& path, long long size);
// The file opened for reading the way another program might hold it, sharing only `share`:
// FILE_SHARE_READ | FILE_SHARE_WRITE leaves deletion out, so it cannot be replaced; 0 locks it.
UniqueHandle HoldOpen(const std::string& path, DWORD share);

bool FileExists(const std::string& path); // a file, not a folder
bool FolderExists(const std::string& path);
bool CopyFileTo(const std::string& from, const std::string& to); // overwrites
bool MakeFolders(const std::string& path);                       // with missing parents
bool RemoveTree(const std::string& path);                        // files and folders below
#endif

} // namespace vqtest

#endif
