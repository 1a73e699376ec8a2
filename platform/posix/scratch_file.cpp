#include "platform/posix/scratch_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/posix/file_failure.h"
#include "platform/posix/file_io.h"
#include "platform/posix/handles.h"

namespace {

class PosixScratchFile final : public ScratchFile {
  public:
    explicit PosixScratchFile(UniqueFd fd) : fd_(std::move(fd)) {}
    std::uint64_t Size() const override { return static_cast<std::uint64_t>(size_); }
    FileFailure ReadAt(std::uint64_t offset, unsigned char* data, std::size_t length) override {
        if (offset + length > static_cast<std::uint64_t>(size_) ||
            !ReadAllAt(fd_.get(), data, length, static_cast<off_t>(offset)))
            return FileFailure::kReadFailed;
        return FileFailure::kNone;
    }
    FileFailure BeginReplacement(std::unique_ptr<NewContent>&) override {
        return FileFailure::kNoAccess;
    }
    FileFailure Write(const unsigned char* data, std::size_t length) override {
        int error = 0;
        if (!WriteAllAt(fd_.get(), data, length, size_, error))
            return FailureOf(error, FileFailure::kWriteFailed);
        size_ += static_cast<off_t>(length);
        return FileFailure::kNone;
    }

  private:
    UniqueFd fd_;
    off_t size_ = 0;
};

std::string TemporaryFolder() {
    const char* folder = std::getenv("TMPDIR");
    return folder != nullptr && *folder != '\0' ? folder : "/tmp";
}

} // namespace

FileFailure CreateScratchFile(std::unique_ptr<ScratchFile>& out) {
    const std::string folder = TemporaryFolder();
    UniqueFd fd(open(folder.c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600));
    if (!fd.valid() && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // A file system without unnamed files: a fresh name, removed as soon as it is open.
        std::string name = folder + "/.vq-scratch.XXXXXX";
        fd.reset(mkostemp(&name[0], O_CLOEXEC));
        if (fd.valid())
            unlink(name.c_str());
    }
    if (!fd.valid())
        return FailureOf(errno, FileFailure::kWriteFailed);
    out = std::make_unique<PosixScratchFile>(std::move(fd));
    return FileFailure::kNone;
}
