#include "platform/posix/folders.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "core/tree_walk.h"
#include "platform/platform.h"
#include "platform/posix/file_io.h"
#include "platform/posix/handles.h"

namespace {

// The kind of an entry, following a link to see what it leads to.
EntryKind KindOf(int folder, const dirent& entry, std::uint64_t* size) {
    struct stat info = {};
    const bool isLink =
        entry.d_type == DT_LNK ||
        (entry.d_type == DT_UNKNOWN &&
         fstatat(folder, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode));
    if (entry.d_type == DT_DIR && size == nullptr)
        return EntryKind::kFolder;
    if (entry.d_type == DT_REG && size == nullptr)
        return EntryKind::kFile;
    if (fstatat(folder, entry.d_name, &info, 0) != 0)
        return EntryKind::kOther;
    if (S_ISDIR(info.st_mode))
        return isLink ? EntryKind::kFolderLink : EntryKind::kFolder;
    if (!S_ISREG(info.st_mode))
        return EntryKind::kOther;
    if (size != nullptr)
        *size = static_cast<std::uint64_t>(info.st_size);
    return EntryKind::kFile;
}

class PosixScanFolders : public ScanFolders {
  public:
    char Separator() const override { return '/'; }

    bool ForEachEntry(const std::string& folder, const EntryVisitor& visit) override {
        return ListFolder(folder, false, visit);
    }

    bool ReadLastTwo(const std::string& path, unsigned char lastTwo[2]) override {
        // Reading does not even change the file's access time where the system allows it.
        const int flags = O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
        UniqueFd fd(open(path.c_str(), flags | O_NOATIME));
        if (!fd.valid() && errno == EPERM)
            fd.reset(open(path.c_str(), flags));
        struct stat info = {};
        if (!fd.valid() || fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
            info.st_size < 2)
            return false;
        return ReadAllAt(fd.get(), lastTwo, 2, info.st_size - 2);
    }
};

} // namespace

bool ListFolder(const std::string& path, bool withSizes, const EntryVisitor& visit) {
    UniqueDir folder(opendir(path.c_str()));
    if (!folder.valid())
        return false;
    const int fd = dirfd(folder.get());
    while (const dirent* found = readdir(folder.get())) {
        if (std::strcmp(found->d_name, ".") == 0 || std::strcmp(found->d_name, "..") == 0)
            continue;
        FolderEntry entry;
        entry.name = found->d_name;
        entry.kind = KindOf(fd, *found, withSizes ? &entry.size : nullptr);
        if (!visit(entry))
            break;
    }
    return true;
}

ScanFolders& SystemScanFolders() {
    static PosixScanFolders folders;
    return folders;
}
