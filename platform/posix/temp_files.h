// The temporary files that new content and new records are written into on Linux, in the
// folder they are for.
//
// Each is an unnamed O_TMPFILE where the file system has them, so a crash or a kill leaves
// nothing of it; it gets a hidden temporary name (.vq~*.tmp) only for the moment of a rename
// over a file. A kill in that moment leaves the content under that name: every job that
// writes into a folder first removes such files, but only ones that no running program holds.
// A temporary file is locked (flock) from its creation until it is gone.
#ifndef VEILQUILL_POSIX_TEMP_FILES_H
#define VEILQUILL_POSIX_TEMP_FILES_H

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

#include "platform/posix/handles.h"

// A temporary file only its user may read, until it takes over a file's permissions.
constexpr mode_t kPrivateFileMode = 0600;

// Removes the temporary files of ours in the folder that a killed job left: only files with
// a temporary name, owned by this user, whose lock no running program holds.
void RemoveStaleTemps(int folder);

// Gives the file open at `fd` the name `name` in the folder; false (with errno) when the
// name is taken or the file cannot be linked.
bool LinkOpenFile(int fd, int folder, const std::string& name);

// Links the open file under a fresh name in the folder: `stem`, the random part, ".tmp". The
// name, or empty (with errno).
std::string LinkUnderTempName(int fd, int folder, const std::string& stem);

// A file that is open but has no name yet, in `folder`: an O_TMPFILE where the file system
// has them; otherwise a file under a fresh hidden temporary name, which the owner must remove.
struct UnnamedFile {
    UniqueFd fd;
    std::string fallbackName; // set only when the file had to be named at once
};

// Made with `mode`; on a failure its fd is not valid and `error` holds the system's error.
UnnamedFile CreateUnnamedFile(int folder, mode_t mode, int& error);

// Gives such a file `name` in its folder, never over a name in use; false (with errno) when
// it cannot. A fallback name stays for its owner to remove.
bool NameUnnamedFile(const UnnamedFile& file, int folder, const std::string& name);

// Whether two stats are of one file.
inline bool SameInode(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

#endif
