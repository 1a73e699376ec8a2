// What the document commands ask about paths and files, and how their file work ends.
#ifndef VEILQUILL_DOCUMENT_FILE_H
#define VEILQUILL_DOCUMENT_FILE_H

#include <cstddef>
#include <exception>

#include "core/file_access.h"
#include "core/file_jobs.h"

enum class FileStatus {
    kOk,
    kOpenFailed,  // missing, in use, or not a file
    kEmpty,       // no bytes at all (or, where a trailer is needed, fewer than two)
    kReadFailed,  // opened, but not all its bytes could be read
    kChanged,     // no longer the file its preview saw
    kWriteFailed, // the new content could not be put in place; the old one is untouched
    kStoreFailed, // the checksum record could not be written
    kNoKey,       // no key to transform with: nothing is read or written
    kStranded,    // the file could not be finished: its whole new content is beside it,
                  // under its name with .vq~new added (the file is gone, or half written
                  // when it has several names)
    kStopped,     // asked to stop before anything changed; nothing to tell the user
    kNoMemory,    // no memory (or no thread) for the work's bounded buffers
};

// How a job of the core ended, as the commands tell it: a failure at the file the command
// reads is an open or read failure, one at the file it writes (`atTarget`) a write failure.
FileStatus StatusOfJob(JobOutcome outcome, FileFailure failure, bool atTarget);

// Runs a command's file work, whose result has a `status`: work that finds no memory (or no
// thread) for its bounded buffers ends as kNoMemory, and nothing is thrown on.
template <typename Result, typename Work> Result RunFileWork(Work&& work) {
    try {
        return work();
    } catch (const std::exception&) {
        Result failed;
        failed.status = FileStatus::kNoMemory;
        return failed;
    }
}

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
