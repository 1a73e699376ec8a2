#include "platform/posix/content_replacement.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "core/temp_names.h"
#include "platform/posix/file_io.h"

namespace {

constexpr mode_t kNewFileMode = 0666; // less the user's umask, as for any new file
constexpr off_t kWriteBehindStretch = 8 * 1024 * 1024;

// Ctrl+C, a hang-up or a polite kill waits while this lives, so that putting new content in
// place, once begun, ends.
class DeferInterrupts {
  public:
    DeferInterrupts() {
        sigset_t deferred;
        sigemptyset(&deferred);
        for (int ending : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
            sigaddset(&deferred, ending);
        pthread_sigmask(SIG_BLOCK, &deferred, &saved_);
    }
    ~DeferInterrupts() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }
    DeferInterrupts(const DeferInterrupts&) = delete;
    DeferInterrupts& operator=(const DeferInterrupts&) = delete;

  private:
    sigset_t saved_;
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

// Gives the file open at `fd` the name `name` in the folder; false (with errno) when the
// name is taken or the file cannot be linked.
bool LinkOpenFile(int fd, int folder, const std::string& name) {
    return linkat(AT_FDCWD, ProcPathOf(fd).c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// Links the open file under a fresh name in the folder: `stem`, the random part, ".tmp". The
// name, or empty (with errno).
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

// The new content of `name` in `folder`, written into an unnamed file made with `mode` once
// what killed jobs left there is gone; `source` is the file it replaces, or null.
FileFailure NewContentIn(UniqueFd folder, std::string name, PosixSource* source, mode_t mode,
                         std::unique_ptr<NewContent>& out) {
    RemoveStaleTemps(folder.get());
    int error = 0;
    UnnamedFile file = CreateUnnamedFile(folder.get(), mode, error);
    if (!file.fd.valid())
        return FailureOf(error, FileFailure::kWriteFailed);
    out = std::make_unique<PosixNewContent>(source, std::move(folder), std::move(name),
                                            std::move(file));
    return FileFailure::kNone;
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

// The system tells a lease holder that another program opens the file for writing with this
// signal, whose information names the descriptor. Giving the lease up at once lets the other
// program go on; the missing lease is what the check before the new content is put in place
// then sees.
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

} // namespace

// A source opened to be replaced gives its pages back to the system as they are read: its content
// goes once the new one is in place, and the new content is then written into memory just
// given back rather than into memory the system has still to take from the host. Only whole
// pages go, so the few bytes read at the end are kept.
FileFailure PosixSource::ReadAt(std::uint64_t offset, unsigned char* data, std::size_t length) {
    const auto at = static_cast<off_t>(offset);
    if (!ReadAllAt(fd_.get(), data, length, at))
        return FileFailure::kReadFailed;
    if (!realPath_.empty())
        posix_fadvise(fd_.get(), at, static_cast<off_t>(length), POSIX_FADV_DONTNEED);
    return FileFailure::kNone;
}

FileFailure PosixSource::BeginReplacement(std::unique_ptr<NewContent>& out) {
    if (realPath_.empty())
        return FileFailure::kNoAccess;
    std::string folderPath;
    std::string name;
    SplitPath(realPath_, folderPath, name);
    UniqueFd folder(open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid())
        return FailureOf(errno, FileFailure::kWriteFailed);
    return NewContentIn(std::move(folder), std::move(name), this, kPrivateFileMode, out);
}

bool PosixSource::Unchanged() const {
    if (leased_ && fcntl(fd_.get(), F_GETLEASE) != F_RDLCK)
        return false;
    struct stat now = {};
    struct stat named = {};
    return fstat(fd_.get(), &now) == 0 && stat(realPath_.c_str(), &named) == 0 &&
           SameInode(named, opened_) && now.st_size == opened_.st_size &&
           now.st_nlink == opened_.st_nlink && now.st_mtim.tv_sec == opened_.st_mtim.tv_sec &&
           now.st_mtim.tv_nsec == opened_.st_mtim.tv_nsec &&
           now.st_ctim.tv_sec == opened_.st_ctim.tv_sec &&
           now.st_ctim.tv_nsec == opened_.st_ctim.tv_nsec;
}

void PosixSource::GiveUpLease() {
    if (leased_)
        fcntl(fd_.get(), F_SETLEASE, F_UNLCK);
    leased_ = false;
}

bool TakeReadLease(int fd) {
    fcntl(fd, F_SETSIG, LeaseSignal());
    return fcntl(fd, F_SETLEASE, F_RDLCK) == 0;
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

PosixNewContent::~PosixNewContent() {
    if (!file_.fallbackName.empty())
        unlinkat(folder_.get(), file_.fallbackName.c_str(), 0);
}

FileFailure PosixNewContent::Write(const unsigned char* data, std::size_t length) {
    int error = 0;
    if (!WriteAllAt(file_.fd.get(), data, length, size_, error))
        return FailureOf(error, FileFailure::kWriteFailed);
    size_ += static_cast<off_t>(length);
    WriteBehind();
    return FileFailure::kNone;
}

void PosixNewContent::WriteBehind() {
    while (size_ - started_ >= kWriteBehindStretch) {
        sync_file_range(file_.fd.get(), started_, kWriteBehindStretch, SYNC_FILE_RANGE_WRITE);
        if (started_ >= kWriteBehindStretch)
            sync_file_range(file_.fd.get(), started_ - kWriteBehindStretch, kWriteBehindStretch,
                            SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                SYNC_FILE_RANGE_WAIT_AFTER);
        started_ += kWriteBehindStretch;
    }
}

FileFailure PosixNewContent::Commit() {
    DeferInterrupts deferred;
    if (fsync(file_.fd.get()) != 0)
        return FailureOf(errno, FileFailure::kWriteFailed);
    if (source_ == nullptr)
        return CommitNewFile();
    if (!source_->Unchanged())
        return FileFailure::kChanged;
    if (source_->Opened().st_nlink > 1)
        return WriteInPlace(source_->RealPath());
    return RenameOverSource(source_->Opened());
}

FileFailure PosixNewContent::CommitNewFile() {
    if (!NameUnnamedFile(file_, folder_.get(), name_))
        return FailureOf(errno, FileFailure::kWriteFailed);
    fsync(folder_.get());
    return FileFailure::kNone; // the destructor removes a fallback name
}

FileFailure PosixNewContent::RenameOverSource(const struct stat& kept) {
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
    ForgetFallbackName();
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
    ForgetFallbackName();
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
    return failure == FileFailure::kNone ? failure : FileFailure::kLeftBesideFile;
}

FileFailure BeginNewFileContent(const std::string& path, std::unique_ptr<NewContent>& out) {
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
    return NewContentIn(std::move(folder), std::move(name), nullptr, kNewFileMode, out);
}
