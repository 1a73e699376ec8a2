#include "platform/posix/new_content.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "core/temp_names.h"
#include "platform/posix/file_failure.h"
#include "platform/posix/file_io.h"
#include "platform/posix/files.h"

namespace {

constexpr off_t kWriteBehindStretch = 8 * 1024 * 1024;

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

} // namespace

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
    if (!NameUnnamedFile(file_, folder_.get(), name_))
        return FailureOf(errno, FileFailure::kWriteFailed);
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
