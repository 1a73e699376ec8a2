// The records folder on Windows: the Data folder beside the program unless another is named.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/file_io.h"
#include "platform/win32/folders.h"
#include "platform/win32_path_attributes.h"
#include "util/path_text.h"
#include "platform/win32_program_folder.h"
#include "platform/win32_wide_text.h"
#include "platform/win32_handles.h"

namespace {

constexpr char kRecordsFolderName[] = "Data\\";

std::string WithBackslash(std::string folder) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    return folder;
}

class Win32RecordEntry : public RecordEntry {
  public:
    Win32RecordEntry(UniqueHandle file, bool mayDelete)
        : file_(std::move(file)), mayDelete_(mayDelete) {}

    bool Read(std::string& bytes, std::size_t limit) override {
        LARGE_INTEGER size{};
        if (GetFileSizeEx(file_.get(), &size) == FALSE || size.QuadPart <= 0 ||
            static_cast<std::uint64_t>(size.QuadPart) > limit)
            return false;
        bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
        return ReadAllAt(file_.get(), reinterpret_cast<unsigned char*>(&bytes[0]), bytes.size(), 0);
    }

    // Through the handle that was read: whatever has taken the name since stays.
    bool Delete() override { return mayDelete_ && SetDeleteOnClose(file_.get(), true); }

  private:
    UniqueHandle file_;
    bool mayDelete_;
};

class Win32RecordFolder : public RecordFolder {
  public:
    explicit Win32RecordFolder(std::string path)
        : path_(std::move(path)), folder_(WithBackslash(path_)) {}

    const std::string& Path() const override { return path_; }

    bool Exists() override { return IsFolder(folder_); }

    bool Create() override {
        // Each folder of the path from its root down is made where it is missing; the root
        // itself ("C:\", "\\server\share\", either behind "\\?\") is never made.
        for (std::size_t slash = folder_.find_first_of("\\/", PathRootLength(folder_));
             slash != std::string::npos; slash = folder_.find_first_of("\\/", slash + 1))
            CreateDirectoryW(FileSystemPath(folder_.substr(0, slash)).c_str(),
                             nullptr); // may exist already
        return Exists();
    }

    bool ForEachEntry(const EntryVisitor& visit) override { return ListFolder(folder_, visit); }

    CreateOutcome CreateExclusive(const std::string& name, const std::string& content) override {
        const std::string path = folder_ + name;
        UniqueHandle record(CreateFileW(FileSystemPath(path).c_str(), GENERIC_WRITE | DELETE, 0,
                                        nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
        if (!record.valid())
            return NameIsTaken(path, GetLastError()) ? CreateOutcome::kTaken
                                                     : CreateOutcome::kFailed;
        if (!WriteAllAt(record.get(), reinterpret_cast<const unsigned char*>(content.data()),
                        content.size(), 0) ||
            FlushFileBuffers(record.get()) == FALSE) {
            SetDeleteOnClose(record.get(), true); // nothing half-written stays
            return CreateOutcome::kFailed;
        }
        return record.close() ? CreateOutcome::kCreated : CreateOutcome::kFailed;
    }

    std::unique_ptr<RecordEntry> Open(const std::string& name) override {
        const std::string path = folder_ + name;
        // Open to no other writer from the reading to a delete, so that what is deleted is
        // what was compared; a record another program has open can still be read, not deleted.
        UniqueHandle file =
            OpenExisting(path, GENERIC_READ | DELETE, FILE_SHARE_READ, FILE_ATTRIBUTE_NORMAL);
        const bool mayDelete = file.valid();
        if (!mayDelete)
            file = OpenExisting(path, GENERIC_READ, kShareAll, FILE_ATTRIBUTE_NORMAL);
        if (!file.valid())
            return nullptr;
        return std::make_unique<Win32RecordEntry>(std::move(file), mayDelete);
    }

  private:
    // Whether a failed CREATE_NEW failed because the name is taken (by a record, a folder or
    // any other entry) rather than because the folder cannot be written.
    static bool NameIsTaken(const std::string& path, DWORD error) {
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
            return true;
        return error == ERROR_ACCESS_DENIED && EntryExists(path);
    }

    std::string path_;
    std::string folder_; // with its backslash
};

} // namespace

std::unique_ptr<RecordFolder> OpenRecordFolder(const std::string& path) {
    return std::make_unique<Win32RecordFolder>(path);
}

std::string DefaultRecordsFolder() {
    const std::string folder = ProgramFolder(true);
    if (folder.empty())
        return {};
    return folder + kRecordsFolderName;
}
