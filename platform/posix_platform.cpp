// The platform on Linux (POSIX with a few Linux calls: O_TMPFILE, leases, linkat through
// /proc/self/fd).
//
// New content goes into an unnamed O_TMPFILE in the real file's folder, so a crash or a kill
// leaves nothing of it; at the swap it gets a hidden name (.vq~*.tmp) for the moment of a
// rename over the file. A kill in that moment leaves the new content under that name; every
// job that writes into a folder first removes such files, but only ones that no running program
// holds: a temporary file is locked (flock) from its creation until it is gone. A file with several
// names is written in place instead, from a flushed, named copy of the new content that is removed
// once the file is on disk. A read lease (where the system grants one) tells whether any other
// program opened the source for writing meanwhile.
#include "platform/platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/temp_names.h"
#include "util/unique_resource.h"

namespace {

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

constexpr mode_t kPrivateFolderMode = 0700;
constexpr mode_t kPrivateFileMode = 0600;
constexpr mode_t kNewFileMode = 0666;      // less the user's umask, as for any new file
constexpr char kAsideStem[] = ".vq~gone~"; // a record moved aside to be removed
constexpr off_t kWriteBehindStretch = 8 * 1024 * 1024;

FileFailure FailureOf(int error, FileFailure otherwise) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
    case ENAMETOOLONG:
        return FileFailure::kMissing;
    case EACCES:
    case EPERM:
    case EROFS:
        return FileFailure::kNoAccess;
    case EISDIR:
        return FileFailure::kIsFolder;
    case ETXTBSY:
        return FileFailure::kInUse;
    case ENOSPC:
    case EDQUOT:
        return FileFailure::kNoSpace;
    case EEXIST:
        return FileFailure::kExists;
    default:
        return otherwise;
    }
}

bool WriteAllAt(int fd, const unsigned char* data, std::size_t length, off_t offset, int& error) {
    while (length > 0) {
        const ssize_t written = pwrite(fd, data, length, offset);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        data += written;
        length -= static_cast<std::size_t>(written);
        offset += written;
    }
    return true;
}

bool ReadAllAt(int fd, unsigned char* data, std::size_t length, off_t offset) {
    while (length > 0) {
        const ssize_t got = pread(fd, data, length, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        data += got;
        length -= static_cast<std::size_t>(got);
        offset += got;
    }
    return true;
}

std::string ProcPathOf(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

// Removes the temporary files of ours in the folder that a killed job left: only files with
// a temporary name, owned by this user, whose lock no running program holds.
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
        temp.held = temp.plainFile && temp.usersOwn && flock(file.get(), LOCK_EX | LOCK_NB) != 0;
        if (!IsStaleTemp(temp))
            continue;
        // Still the file that was locked under that name.
        struct stat named = {};
        if (fstatat(folder, found->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_dev == opened.st_dev && named.st_ino == opened.st_ino &&
            unlinkat(folder, found->d_name, 0) == 0)
            removed = true;
    }
    if (removed)
        fsync(folder);
}

// The folder part and the name part of a path ("notes.txt" is in ".").
void SplitPath(const std::string& path, std::string& folder, std::string& name) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        folder = ".";
        name = path;
    } else {
        folder = slash == 0 ? "/" : path.substr(0, slash);
        name = path.substr(slash + 1);
    }
}

// Gives the file open at `fd` the name `name` in the folder; false (with errno) when the
// name is taken or the file cannot be linked.
bool LinkOpenFile(int fd, int folder, const std::string& name) {
    return linkat(AT_FDCWD, ProcPathOf(fd).c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// Links the open file under a fresh hidden name in the folder; the name, or empty.
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

// A file that is open but has no name yet, in `folder`: an O_TMPFILE where the file system
// has them; otherwise a file under a fresh hidden name, which the owner must remove.
struct UnnamedFile {
    UniqueFd fd;
    std::string fallbackName; // set only when the file had to be named at once
};

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
                named.st_ino == opened.st_ino && named.st_dev == opened.st_dev) {
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

// Ctrl+C, a hang-up or a polite kill waits while this lives, so that a swap once begun ends.
class InterruptHold {
  public:
    InterruptHold() {
        sigset_t held;
        sigemptyset(&held);
        for (int ending : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
            sigaddset(&held, ending);
        pthread_sigmask(SIG_BLOCK, &held, &saved_);
    }
    ~InterruptHold() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }
    InterruptHold(const InterruptHold&) = delete;
    InterruptHold& operator=(const InterruptHold&) = delete;

  private:
    sigset_t saved_;
};

// ---- Leases ------------------------------------------------------------------------------

// The system tells a lease holder that another program opens the file for writing with this
// signal, whose information names the descriptor. Giving the lease up at once lets the other
// program go on; the missing lease is what the swap then sees.
void GiveUpBrokenLease(int, siginfo_t* info, void*) {
    const int saved = errno;
    fcntl(info->si_fd, F_SETLEASE, F_UNLCK);
    errno = saved;
}

int LeaseSignal() {
    static const int chosen = [] {
        const int number = SIGRTMIN + 1;
        struct sigaction action = {};
        action.sa_sigaction = GiveUpBrokenLease;
        action.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&action.sa_mask);
        sigaction(number, &action, nullptr);
        return number;
    }();
    return chosen;
}

// ---- Source files and their replacement -------------------------------------------------

class PosixSource;

class PosixNewContent : public NewContent {
  public:
    // Replaces `source`'s file, or (without a source) makes `name` new in `folder`.
    PosixNewContent(PosixSource* source, UniqueFd folder, std::string name, UnnamedFile file)
        : source_(source), folder_(std::move(folder)), name_(std::move(name)),
          file_(std::move(file)) {}
    ~PosixNewContent() override {
        if (!file_.fallbackName.empty())
            unlinkat(folder_.get(), file_.fallbackName.c_str(), 0);
    }

    FileFailure Write(const unsigned char* data, std::size_t length) override {
        int error = 0;
        if (!WriteAllAt(file_.fd.get(), data, length, size_, error))
            return FailureOf(error, FileFailure::kWriteFailed);
        size_ += static_cast<off_t>(length);
        WriteBehind();
        return FileFailure::kNone;
    }

    FileFailure Commit() override;

  private:
    // Sends each finished stretch of the content to the disk while the next is made, and
    // waits for the one before it, so that the flush at the commit finds little left to do
    // and the written pages do not pile up in memory.
    void WriteBehind() {
        while (size_ - started_ >= kWriteBehindStretch) {
            sync_file_range(file_.fd.get(), started_, kWriteBehindStretch, SYNC_FILE_RANGE_WRITE);
            if (started_ >= kWriteBehindStretch)
                sync_file_range(file_.fd.get(), started_ - kWriteBehindStretch, kWriteBehindStretch,
                                SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                    SYNC_FILE_RANGE_WAIT_AFTER);
            started_ += kWriteBehindStretch;
        }
    }

    FileFailure CommitNewFile();
    FileFailure SwapIn(const struct stat& kept);
    FileFailure WriteInPlace(const std::string& realPath);
    // The fallback file's name is the content's own once it is in place.
    void Placed() { file_.fallbackName.clear(); }

    PosixSource* source_;
    UniqueFd folder_;
    std::string name_;
    UnnamedFile file_;
    off_t size_ = 0;
    off_t started_ = 0; // the content before this has been sent to the disk
};

class PosixSource : public SourceFile {
  public:
    PosixSource(UniqueFd fd, const struct stat& opened, std::string realPath, bool leased)
        : fd_(std::move(fd)), opened_(opened), realPath_(std::move(realPath)), leased_(leased) {}

    std::uint64_t Size() const override { return static_cast<std::uint64_t>(opened_.st_size); }

    FileFailure ReadAt(std::uint64_t offset, unsigned char* data, std::size_t length) override {
        return ReadAllAt(fd_.get(), data, length, static_cast<off_t>(offset))
                   ? FileFailure::kNone
                   : FileFailure::kReadFailed;
    }

    FileFailure BeginReplacement(std::unique_ptr<NewContent>& out) override {
        if (realPath_.empty())
            return FileFailure::kNoAccess;
        std::string folderPath;
        std::string name;
        SplitPath(realPath_, folderPath, name);
        UniqueFd folder(open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!folder.valid())
            return FailureOf(errno, FileFailure::kWriteFailed);
        RemoveStaleTemps(folder.get());
        int error = 0;
        UnnamedFile file = CreateUnnamedFile(folder.get(), kPrivateFileMode, error);
        if (!file.fd.valid())
            return FailureOf(error, FileFailure::kWriteFailed);
        out = std::make_unique<PosixNewContent>(this, std::move(folder), std::move(name),
                                                std::move(file));
        return FileFailure::kNone;
    }

    // Whether the file is still as it was opened: no other program opened it for writing
    // (while the lease holds), its size, times and links are the same, and its name still
    // leads to it.
    bool Unchanged() const {
        if (leased_ && fcntl(fd_.get(), F_GETLEASE) != F_RDLCK)
            return false;
        struct stat now = {};
        struct stat named = {};
        return fstat(fd_.get(), &now) == 0 && stat(realPath_.c_str(), &named) == 0 &&
               named.st_dev == opened_.st_dev && named.st_ino == opened_.st_ino &&
               now.st_size == opened_.st_size && now.st_nlink == opened_.st_nlink &&
               now.st_mtim.tv_sec == opened_.st_mtim.tv_sec &&
               now.st_mtim.tv_nsec == opened_.st_mtim.tv_nsec &&
               now.st_ctim.tv_sec == opened_.st_ctim.tv_sec &&
               now.st_ctim.tv_nsec == opened_.st_ctim.tv_nsec;
    }

    // Our own write must not break our own lease.
    void GiveUpLease() {
        if (leased_)
            fcntl(fd_.get(), F_SETLEASE, F_UNLCK);
        leased_ = false;
    }

    int Fd() const { return fd_.get(); }
    const struct stat& Opened() const { return opened_; }
    const std::string& RealPath() const { return realPath_; }

  private:
    UniqueFd fd_;
    struct stat opened_;
    std::string realPath_;
    bool leased_;
};

// Extended attributes carry ACLs and security labels; a replacement takes them over where
// the system lets it. Best effort: the content is what must not fail.
void CopyExtendedAttributes(int from, int to) {
    const ssize_t listLength = flistxattr(from, nullptr, 0);
    if (listLength <= 0)
        return;
    std::vector<char> names(static_cast<std::size_t>(listLength));
    if (flistxattr(from, names.data(), names.size()) != listLength)
        return;
    for (std::size_t at = 0; at < names.size(); at += std::strlen(&names[at]) + 1) {
        const char* name = &names[at];
        const ssize_t valueLength = fgetxattr(from, name, nullptr, 0);
        if (valueLength < 0)
            continue;
        std::vector<char> value(static_cast<std::size_t>(valueLength) + 1);
        const ssize_t got = fgetxattr(from, name, value.data(), value.size());
        if (got >= 0)
            fsetxattr(to, name, value.data(), static_cast<std::size_t>(got), 0);
    }
}

FileFailure PosixNewContent::Commit() {
    InterruptHold hold;
    if (fsync(file_.fd.get()) != 0)
        return FailureOf(errno, FileFailure::kWriteFailed);
    if (source_ == nullptr)
        return CommitNewFile();
    if (!source_->Unchanged())
        return FileFailure::kChanged;
    if (source_->Opened().st_nlink > 1)
        return WriteInPlace(source_->RealPath());
    return SwapIn(source_->Opened());
}

FileFailure PosixNewContent::CommitNewFile() {
    if (file_.fallbackName.empty()) {
        if (!LinkOpenFile(file_.fd.get(), folder_.get(), name_))
            return FailureOf(errno, FileFailure::kWriteFailed);
    } else {
        // link, unlike rename, never takes a name that is in use.
        if (linkat(folder_.get(), file_.fallbackName.c_str(), folder_.get(), name_.c_str(), 0) != 0)
            return FailureOf(errno, FileFailure::kWriteFailed);
    }
    fsync(folder_.get());
    return FileFailure::kNone; // the destructor removes a fallback name
}

FileFailure PosixNewContent::SwapIn(const struct stat& kept) {
    const int fd = file_.fd.get();
    if (fchown(fd, kept.st_uid, kept.st_gid) != 0)
        (void)!fchown(fd, static_cast<uid_t>(-1), kept.st_gid); // not ours to give: keep group
    fchmod(fd, kept.st_mode & 07777);
    CopyExtendedAttributes(source_->Fd(), fd);

    std::string tempName = file_.fallbackName;
    if (tempName.empty() &&
        (tempName = LinkUnderTempName(fd, folder_.get(), kHiddenTempPrefix)).empty())
        return FailureOf(errno, FileFailure::kWriteFailed);
    if (renameat(folder_.get(), tempName.c_str(), folder_.get(), name_.c_str()) != 0) {
        const int error = errno;
        if (file_.fallbackName.empty())
            unlinkat(folder_.get(), tempName.c_str(), 0);
        return FailureOf(error, FileFailure::kWriteFailed);
    }
    Placed();
    fsync(folder_.get());
    return FileFailure::kNone;
}

FileFailure PosixNewContent::WriteInPlace(const std::string& realPath) {
    // The new content is named beside the file first, so that a crash while the file is
    // overwritten leaves it whole.
    // Never under a temporary name, which the next job in the folder would remove.
    std::string copyName = "." + name_ + kKeptCopySuffix;
    if (!LinkOpenFile(file_.fd.get(), folder_.get(), copyName) &&
        (copyName =
             LinkUnderTempName(file_.fd.get(), folder_.get(), "." + name_ + kKeptCopySuffix + "~"))
            .empty())
        return FailureOf(errno, FileFailure::kWriteFailed);
    if (!file_.fallbackName.empty())
        unlinkat(folder_.get(), file_.fallbackName.c_str(), 0);
    Placed();
    fsync(folder_.get());

    source_->GiveUpLease();
    UniqueFd target(open(realPath.c_str(), O_WRONLY | O_CLOEXEC));
    FileFailure failure = FileFailure::kNone;
    if (!target.valid()) {
        failure = FailureOf(errno, FileFailure::kWriteFailed);
    } else {
        std::vector<unsigned char> piece(1024 * 1024);
        int error = 0;
        for (off_t at = 0; at < size_ && failure == FileFailure::kNone;) {
            const auto count = static_cast<std::size_t>(
                std::min<off_t>(static_cast<off_t>(piece.size()), size_ - at));
            if (!ReadAllAt(file_.fd.get(), piece.data(), count, at))
                failure = FileFailure::kReadFailed;
            else if (!WriteAllAt(target.get(), piece.data(), count, at, error))
                failure = FailureOf(error, FileFailure::kWriteFailed);
            at += static_cast<off_t>(count);
        }
        if (failure == FileFailure::kNone &&
            (ftruncate(target.get(), size_) != 0 || fsync(target.get()) != 0))
            failure = FailureOf(errno, FileFailure::kWriteFailed);
    }
    if (failure == FileFailure::kNone) {
        unlinkat(folder_.get(), copyName.c_str(), 0);
        fsync(folder_.get());
    }
    // On a failure the copy stays: it is the only whole form of the new content.
    return failure == FileFailure::kNone ? failure : FileFailure::kStranded;
}

class PosixFiles : public FileAccess {
  public:
    FileFailure OpenSource(const std::string& path, OpenPurpose purpose,
                           std::unique_ptr<SourceFile>& out) override {
        UniqueFd fd(open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
        if (!fd.valid())
            return FailureOf(errno, FileFailure::kReadFailed);
        struct stat opened = {};
        if (fstat(fd.get(), &opened) != 0)
            return FileFailure::kReadFailed;
        if (S_ISDIR(opened.st_mode))
            return FileFailure::kIsFolder;
        if (!S_ISREG(opened.st_mode))
            return FileFailure::kNotFile;
        fcntl(fd.get(), F_SETFL, fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);

        std::string realPath;
        bool leased = false;
        if (purpose == OpenPurpose::kReadWritable &&
            faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
            return FailureOf(errno, FileFailure::kNoAccess);
        if (purpose == OpenPurpose::kReplace) {
            if (faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
                return FailureOf(errno, FileFailure::kNoAccess);
            char* resolved = realpath(path.c_str(), nullptr);
            if (resolved == nullptr)
                return FailureOf(errno, FileFailure::kMissing);
            realPath = resolved;
            std::free(resolved);
            fcntl(fd.get(), F_SETSIG, LeaseSignal());
            if (fcntl(fd.get(), F_SETLEASE, F_RDLCK) == 0)
                leased = true;
            else if (errno == EAGAIN)
                return FileFailure::kInUse; // someone has it open for writing
            // Elsewhere (no right to a lease, a file system without them) the checks of size,
            // times and name still catch a writer.
        }
        out = std::make_unique<PosixSource>(std::move(fd), opened, std::move(realPath), leased);
        return FileFailure::kNone;
    }

    FileFailure BeginNewFile(const std::string& path, std::unique_ptr<NewContent>& out) override {
        std::string folderPath;
        std::string name;
        SplitPath(path, folderPath, name);
        if (name.empty())
            return FileFailure::kIsFolder;
        UniqueFd folder(open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!folder.valid())
            return FailureOf(errno, FileFailure::kWriteFailed);
        struct stat existing = {};
        if (fstatat(folder.get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0)
            return FileFailure::kExists;
        RemoveStaleTemps(folder.get());
        int error = 0;
        UnnamedFile file = CreateUnnamedFile(folder.get(), kNewFileMode, error);
        if (!file.fd.valid())
            return FailureOf(error, FileFailure::kWriteFailed);
        out = std::make_unique<PosixNewContent>(nullptr, std::move(folder), std::move(name),
                                                std::move(file));
        return FileFailure::kNone;
    }
};

// ---- Folder listings ---------------------------------------------------------------------

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

// Lists a folder; sizes are looked up only when asked for.
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

// ---- The records folder ------------------------------------------------------------------

class PosixRecordEntry : public RecordEntry {
  public:
    PosixRecordEntry(UniqueFd fd, std::string folder, std::string name)
        : fd_(std::move(fd)), folder_(std::move(folder)), name_(std::move(name)) {}

    bool Read(std::string& bytes, std::size_t limit) override {
        struct stat info = {};
        if (fstat(fd_.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0 ||
            static_cast<std::uint64_t>(info.st_size) > limit)
            return false;
        bytes.assign(static_cast<std::size_t>(info.st_size), '\0');
        return ReadAllAt(fd_.get(), reinterpret_cast<unsigned char*>(&bytes[0]), bytes.size(), 0);
    }

    // A name cannot be removed only while it leads to a given file, so the record is first
    // moved aside under a hidden name (which no lookup reads and no numbering takes), and
    // removed there only if it is the file that was read. Anything else that had taken the
    // name meanwhile goes back under the lowest free number.
    bool Delete() override;

  private:
    UniqueFd fd_;
    std::string folder_;
    std::string name_;
};

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool PosixRecordEntry::Delete() {
    UniqueFd folder(open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat ours = {};
    if (!folder.valid() || fstat(fd_.get(), &ours) != 0)
        return false;
    const std::string aside = RandomName(kAsideStem, kTempSuffix);
    if (renameat(folder.get(), name_.c_str(), folder.get(), aside.c_str()) != 0)
        return false;
    struct stat moved = {};
    if (fstatat(folder.get(), aside.c_str(), &moved, AT_SYMLINK_NOFOLLOW) == 0 &&
        SameFile(moved, ours)) {
        unlinkat(folder.get(), aside.c_str(), 0);
        fsync(folder.get());
        return true;
    }
    bool restored = linkat(folder.get(), aside.c_str(), folder.get(), name_.c_str(), 0) == 0;
    for (std::uint32_t number = 0; !restored && errno == EEXIST && number < 1000000; ++number) {
        const std::string name = std::to_string(number) + ".dat";
        restored = linkat(folder.get(), aside.c_str(), folder.get(), name.c_str(), 0) == 0;
    }
    if (restored)
        unlinkat(folder.get(), aside.c_str(), 0);
    fsync(folder.get());
    return false;
}

class PosixRecordFolder : public RecordFolder {
  public:
    explicit PosixRecordFolder(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const override { return path_; }

    bool Exists() override {
        struct stat info = {};
        return stat(path_.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }

    bool Create() override {
        if (Exists())
            return true;
        for (std::size_t slash = path_.find('/', 1);; slash = path_.find('/', slash + 1)) {
            const std::string part = path_.substr(0, slash);
            if (!part.empty() && mkdir(part.c_str(), kPrivateFolderMode) != 0 && errno != EEXIST)
                return false;
            if (slash == std::string::npos)
                break;
        }
        return Exists();
    }

    bool ForEachEntry(const EntryVisitor& visit) override { return ListFolder(path_, true, visit); }

    CreateOutcome CreateExclusive(const std::string& name, const std::string& content) override {
        UniqueFd folder(open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!folder.valid())
            return CreateOutcome::kFailed;
        int error = 0;
        UnnamedFile file = CreateUnnamedFile(folder.get(), kPrivateFileMode, error);
        if (!file.fd.valid())
            return CreateOutcome::kFailed;
        // The record appears under its number whole, or not at all.
        CreateOutcome outcome = CreateOutcome::kFailed;
        if (WriteAllAt(file.fd.get(), reinterpret_cast<const unsigned char*>(content.data()),
                       content.size(), 0, error) &&
            fsync(file.fd.get()) == 0) {
            const bool linked = file.fallbackName.empty()
                                    ? LinkOpenFile(file.fd.get(), folder.get(), name)
                                    : linkat(folder.get(), file.fallbackName.c_str(), folder.get(),
                                             name.c_str(), 0) == 0;
            outcome = linked            ? CreateOutcome::kCreated
                      : errno == EEXIST ? CreateOutcome::kTaken
                                        : CreateOutcome::kFailed;
        }
        if (!file.fallbackName.empty())
            unlinkat(folder.get(), file.fallbackName.c_str(), 0);
        fsync(folder.get());
        return outcome;
    }

    std::unique_ptr<RecordEntry> Open(const std::string& name) override {
        UniqueFd fd(open((path_ + "/" + name).c_str(),
                         O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (!fd.valid())
            return nullptr;
        return std::make_unique<PosixRecordEntry>(std::move(fd), path_, name);
    }

  private:
    std::string path_;
};

// ---- The terminal ------------------------------------------------------------------------

// What a signal during the key's entry needs to give the terminal its echo back.
struct EchoRestore {
    int fd = -1;
    struct termios saved = {};
};
EchoRestore echoRestore;

void RestoreEchoAndEnd(int ending) {
    if (echoRestore.fd >= 0)
        tcsetattr(echoRestore.fd, TCSAFLUSH, &echoRestore.saved);
    signal(ending, SIG_DFL);
    raise(ending);
}

void WriteText(int fd, const char* text) {
    (void)!write(fd, text, std::strlen(text));
}

} // namespace

FileAccess& SystemFiles() {
    static PosixFiles files;
    return files;
}

ScanFolders& SystemScanFolders() {
    static PosixScanFolders folders;
    return folders;
}

std::unique_ptr<RecordFolder> OpenRecordFolder(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    return std::make_unique<PosixRecordFolder>(trimmed);
}

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string DefaultRecordsFolder() {
    std::string base = EnvironmentValue("XDG_DATA_HOME");
    if (base.empty() || base[0] != '/') { // a relative value is to be ignored
        std::string home = EnvironmentValue("HOME");
        if (home.empty()) {
            const passwd* user = getpwuid(getuid());
            if (user == nullptr || user->pw_dir == nullptr)
                return {};
            home = user->pw_dir;
        }
        base = home + "/.local/share";
    }
    return base + "/veilquill/Data";
}

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

TerminalRead ReadSecretLine(const char* prompt, SecretLine& line) {
    line.Clear();
    UniqueFd tty(open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!tty.valid())
        return TerminalRead::kNoTerminal;
    struct termios saved = {};
    if (tcgetattr(tty.get(), &saved) != 0)
        return TerminalRead::kNoTerminal;
    WriteText(tty.get(), prompt);

    echoRestore.fd = tty.get();
    echoRestore.saved = saved;
    const int endings[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
    for (int ending : endings)
        signal(ending, RestoreEchoAndEnd);
    struct termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL);
    tcsetattr(tty.get(), TCSAFLUSH, &quiet);

    TerminalRead result = TerminalRead::kFailed;
    for (;;) {
        unsigned char byte = 0;
        const ssize_t got = read(tty.get(), &byte, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        if (byte == '\n') {
            result = TerminalRead::kRead;
            break;
        }
        line.Append(byte);
        WipeBytes(&byte, 1);
    }
    tcsetattr(tty.get(), TCSAFLUSH, &saved);
    for (int ending : endings)
        signal(ending, SIG_DFL);
    echoRestore.fd = -1;
    WriteText(tty.get(), "\n");
    line.DropCarriageReturn();
    return result;
}
