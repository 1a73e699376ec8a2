#include "platform/posix/files.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/crypto_library.h"
#include "platform/file_identity.h"
#include "platform/platform.h"
#include "platform/posix/file_failure.h"
#include "platform/posix/file_io.h"
#include "platform/posix/new_content.h"
#include "platform/posix/scratch_file.h"
#include "platform/posix/temp_files.h"

namespace {

constexpr mode_t kNewFileMode = 0666; // less the user's umask, as for any new file

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

class PosixFiles : public FileAccess {
  public:
    bool SameFile(const std::string& first, const std::string& second) override {
        return SameFileOnDisk(first, second);
    }
    bool Exists(const std::string& path) override {
        struct stat entry = {};
        return lstat(path.c_str(), &entry) == 0;
    }
    const StrongPrimitives* StrongCryptography(std::string& problem) override {
        return StrongPrimitivesOrProblem(problem);
    }
    FileFailure BeginScratchFile(std::unique_ptr<ScratchFile>& out) override {
        return CreateScratchFile(out);
    }

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
        if (purpose != OpenPurpose::kRead &&
            faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
            return FailureOf(errno, FileFailure::kNoAccess);
        if (purpose == OpenPurpose::kReplace) {
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
        return NewContentIn(std::move(folder), std::move(name), nullptr, kNewFileMode, out);
    }
};

} // namespace

// A file held to be replaced gives its pages back to the system as they are read: its content
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

FileAccess& SystemFiles() {
    static PosixFiles files;
    return files;
}
