// The records folder on Linux: $XDG_DATA_HOME/veilquill/Data unless another is named.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/temp_names.h"
#include "platform/platform.h"
#include "platform/posix/file_io.h"
#include "platform/posix/folders.h"
#include "platform/posix/handles.h"
#include "platform/posix/content_replacement.h"

namespace {

constexpr mode_t kPrivateFolderMode = 0700;
constexpr char kAsideStem[] = ".vq~gone~"; // a record moved aside to be removed

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
        SameInode(moved, ours)) {
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
            const bool linked = NameUnnamedFile(file, folder.get(), name);
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

} // namespace

std::unique_ptr<RecordFolder> OpenRecordFolder(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    return std::make_unique<PosixRecordFolder>(trimmed);
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
