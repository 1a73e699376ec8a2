#include "platform/posix/temp_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>

#include "core/temp_names.h"

namespace {

std::string ProcPathOf(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

} // namespace

void RemoveStaleTemps(int folder) {
    UniqueDir listing(fdopendir(openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
    if (!listing.valid())
        return;
    bool removed = false;
    while (const dirent* found = readdir(listing.get())) {
        if (!IsTempName(found->d_name, kHiddenTempPrefix))
            continue;
        // A link is not even opened.
        UniqueFd file(openat(folder, found->d_name,
                             O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat opened = {};
        if (!file.valid() || fstat(file.get(), &opened) != 0)
            continue;
        FoundTemp temp;
        temp.plainFile = S_ISREG(opened.st_mode);
        temp.usersOwn = opened.st_uid == geteuid();
        // A running job holds its file locked; only a file that may be removed is asked, and
        // the lock taken here keeps it until it is gone.
        temp.inUse = temp.plainFile && temp.usersOwn && flock(file.get(), LOCK_EX | LOCK_NB) != 0;
        if (!IsStaleTemp(temp))
            continue;
        // Still the file that was locked under that name.
        struct stat named = {};
        if (fstatat(folder, found->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            SameInode(named, opened) && unlinkat(folder, found->d_name, 0) == 0)
            removed = true;
    }
    if (removed)
        fsync(folder);
}

bool LinkOpenFile(int fd, int folder, const std::string& name) {
    return linkat(AT_FDCWD, ProcPathOf(fd).c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

std::string LinkUnderTempName(int fd, int folder, const std::string& stem) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string name = RandomName(stem, kTempSuffix);
        if (LinkOpenFile(fd, folder, name))
            return name;
        if (errno != EEXIST)
            return {};
    }
    return {};
}

UnnamedFile CreateUnnamedFile(int folder, mode_t mode, int& error) {
    UnnamedFile file;
    file.fd.reset(openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode));
    if (file.fd.valid()) {
        flock(file.fd.get(), LOCK_EX); // a new file: nobody else can hold it
        return file;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        error = errno;
        return file;
    }
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string name = RandomName(kHiddenTempPrefix, kTempSuffix);
        file.fd.reset(openat(folder, name.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, mode));
        if (file.fd.valid()) {
            // Named before it is locked: another job's clean-up may have taken it meanwhile.
            struct stat opened = {};
            struct stat named = {};
            if (flock(file.fd.get(), LOCK_EX | LOCK_NB) == 0 &&
                fstat(file.fd.get(), &opened) == 0 &&
                fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
                SameInode(named, opened)) {
                file.fallbackName = std::move(name);
                return file;
            }
            continue;
        }
        if (errno != EEXIST)
            break;
    }
    error = errno;
    return file;
}

bool NameUnnamedFile(const UnnamedFile& file, int folder, const std::string& name) {
    if (file.fallbackName.empty())
        return LinkOpenFile(file.fd.get(), folder, name);
    // link, unlike rename, never takes a name that is in use.
    return linkat(folder, file.fallbackName.c_str(), folder, name.c_str(), 0) == 0;
}
