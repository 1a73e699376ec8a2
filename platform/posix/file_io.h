// What every part of the Linux platform does with a file: whole reads and writes at an offset
// through a file descriptor (a call the system cuts short or interrupts is taken up again),
// whether two stats are of one file, and what a system error means for a file job. (Whether
// two names are one file is platform/file_identity.h.)
#ifndef VEILQUILL_POSIX_FILE_IO_H
#define VEILQUILL_POSIX_FILE_IO_H

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>

#include "core/file_access.h"

// False with the system's error in `error` when the write fails.
bool WriteAllAt(int fd, const unsigned char* data, std::size_t length, off_t offset, int& error);
// False when the read fails or the file ends first.
bool ReadAllAt(int fd, unsigned char* data, std::size_t length, off_t offset);

// Whether two stats are of one file.
inline bool SameInode(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The failure `error` (an errno value) stands for; `otherwise` for an error with no meaning
// of its own.
FileFailure FailureOf(int error, FileFailure otherwise);

#endif
