// The Linux kinds of Unique: file descriptors and folder listings.
#ifndef VEILQUILL_POSIX_HANDLES_H
#define VEILQUILL_POSIX_HANDLES_H

#include <dirent.h>
#include <unistd.h>

#include "util/unique_resource.h"

struct FdTraits {
    using Type = int;
    static constexpr Type Invalid() noexcept { return -1; }
    static bool IsValid(Type fd) noexcept { return fd >= 0; }
    static void Close(Type fd) noexcept { close(fd); }
};
using UniqueFd = Unique<FdTraits>;

struct DirTraits {
    using Type = DIR*;
    static constexpr Type Invalid() noexcept { return nullptr; }
    static bool IsValid(Type dir) noexcept { return dir != nullptr; }
    static void Close(Type dir) noexcept { closedir(dir); }
};
using UniqueDir = Unique<DirTraits>;

#endif
