// The system's files on Linux: sources opened to be read or replaced, new files and scratch
// files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/crypto_library.h"
#include "platform/file_identity.h"
#include "platform/platform.h"
#include "platform/posix/content_replacement.h"
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

// Scratch files are unnamed from the start (O_TMPFILE, or a name removed at once where the file
// system has no unnamed files) in $TMPDIR, else /tmp, readable only by their user.
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
            leased = TakeReadLease(fd.get());
            if (!leased && errno == EAGAIN)
                return FileFailure::kInUse; // someone has it open for writing
        }
        out = std::make_unique<PosixSource>(std::move(fd), opened, std::move(realPath), leased);
        return FileFailure::kNone;
    }

    FileFailure BeginNewFile(const std::string& path, std::unique_ptr<NewContent>& out) override {
        return BeginNewFileContent(path, out);
    }
};

} // namespace

FileAccess& SystemFiles() {
    static PosixFiles files;
    return files;
}
