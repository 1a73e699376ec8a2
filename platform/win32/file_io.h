// What every part of the Windows platform does with a file: open an existing one, read or write
// a whole range at an offset, mark it to be deleted when closed, and say what a system error
// means for a file job. (Whether two names are one file is platform/file_identity.h.)
#ifndef VEILQUILL_WIN32_FILE_IO_H
#define VEILQUILL_WIN32_FILE_IO_H

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/file_access.h"
#include "platform/win32_handles.h"

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The most one ReadFile is given.
constexpr DWORD kIoPiece = 1024 * 1024;

// The existing file (or, with FILE_FLAG_BACKUP_SEMANTICS, folder) at `path`; not valid, with
// the system's error, when it cannot be opened so.
UniqueHandle OpenExisting(const std::string& path, DWORD access, DWORD share, DWORD flags);

bool ReadAllAt(HANDLE file, unsigned char* data, std::size_t length, std::uint64_t offset);
bool WriteAllAt(HANDLE file, const unsigned char* data, std::size_t length, std::uint64_t offset);

// Marks an open file to be deleted when its last handle closes, or takes the mark back.
bool SetDeleteOnClose(HANDLE file, bool deleteOnClose);

// The failure `error` (from GetLastError) stands for; `otherwise` for an error with no
// meaning of its own.
FileFailure FailureOf(DWORD error, FileFailure otherwise);

#endif
