// Reading a document whole, and what the commands ask about paths and files.
#ifndef VEILQUILL_DOCUMENT_FILE_H
#define VEILQUILL_DOCUMENT_FILE_H

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "core/file_jobs.h"
#include "util/win_handles.h"

// Documents are held whole in memory and their sizes are 32-bit: a file must be smaller
// than 2 GiB.
constexpr std::uint32_t kLargestDocument = 0x7FFFFFFFu;

enum class FileStatus {
    kOk,
    kOpenFailed,  // missing, in use, or not a file
    kEmpty,       // no bytes at all (or, where a trailer is needed, fewer than two)
    kTooLarge,    // 2 GiB or more, or no memory for it
    kReadFailed,  // opened, but not all its bytes could be read
    kChanged,     // no longer the file its preview saw
    kWriteFailed, // the new content could not be put in place; the old one is untouched
    kStoreFailed, // the checksum record could not be written
    kNoKey,       // no key to transform with: nothing is read or written
    kStranded,    // the file could not be finished: its whole new content is in a vq~*.tmp
                  // file in its folder (the file is gone, or half written when it has
                  // several names)
    kStopped,     // asked to stop before anything was changed
};

// Whether the work has been asked to stop (never without a progress to ask).
inline bool StopAsked(const JobProgress* progress) {
    return progress != nullptr && progress->StopRequested();
}
// Tells the progress, if any, that `bytes` more have been gone over.
inline void ReportDone(JobProgress* progress, std::uint64_t bytes) {
    if (progress != nullptr)
        progress->Advance(bytes);
}

struct FileBytes {
    FileStatus status = FileStatus::kOpenFailed;
    ZeroedBlock block; // size + spare bytes, zero-filled; the spare bytes stay zero
    std::uint32_t size = 0;
};

// Opens the file for reading and writing, shared for both (as every document open does), and
// reads it whole into a zero-filled block of its size plus `spareBytes`. Refuses files of
// 2 GiB or more and files for which no memory is left, so that no size is ever cut.
FileBytes ReadWholeFile(const char* path, std::size_t spareBytes);
// The same for a file already open for reading, from its current position.
FileBytes ReadOpenFile(HANDLE file, std::size_t spareBytes);

// A read-only or hidden file gets the plain archive attribute, so that it can be saved.
// Folders are left as they are.
void NormaliseAttributes(const char* path);

// Whether two paths name the same file (the same full path, or one file under two names).
bool IsSameFile(const char* first, const char* second);

// The full form of `path` (relative paths are taken from the current folder, which the file
// dialogs may change later). False, with `out` empty, when it does not fit.
bool FullPathOf(const char* path, char* out, std::size_t capacity);

// Whether something (a file or a folder) exists at `path`.
bool PathExists(const char* path);

#endif
