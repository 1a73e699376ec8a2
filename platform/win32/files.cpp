// The system's files on Windows: sources opened to be read or replaced, new files and scratch
// files.
#include <windows.h>

#include <vector>

#include "core/temp_names.h"
#include "platform/crypto_library.h"
#include "platform/file_identity.h"
#include "platform/platform.h"
#include "platform/win32/content_replacement.h"
#include "platform/win32/file_io.h"
#include "platform/win32_path_attributes.h"
#include "platform/win32_wide_text.h"

namespace {

// Room for the longest path the system hands out, in bytes of UTF-16.
constexpr std::size_t kLongestPathBytes = 32768 * sizeof(wchar_t);

// The full path of an open file with every link resolved, without the "\\?\" prefix.
std::string FinalPathOf(HANDLE file) {
    constexpr DWORD kFlags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
    // The answer is the length with its terminator while the room is too small.
    std::vector<wchar_t> path(MAX_PATH + 8);
    DWORD length = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        length =
            GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()), kFlags);
        if (length == 0)
            return {};
        if (length < path.size())
            break;
        path.resize(length + 1);
    }
    if (length >= path.size())
        return {};
    std::string text = Utf8FromWide(path.data(), length);
    if (text.compare(0, 8, "\\\\?\\UNC\\") == 0)
        return "\\\\" + text.substr(8);
    if (text.compare(0, 4, "\\\\?\\") == 0)
        return text.substr(4);
    return text;
}

// The same from the file's name on its volume, for when the system cannot give the final path
// (Wine gives none past 260 characters): the volume is the drive of the name it was opened by.
// Links are resolved as the file system resolved them when it opened the file.
std::string VolumePathOf(HANDLE file, const std::string& openedAs) {
    std::string full;
    if (!FullPath(openedAs.c_str(), full) || full.size() < 2 || full[1] != ':')
        return {};
    std::vector<unsigned char> room(sizeof(FILE_NAME_INFO) + kLongestPathBytes);
    auto* name = reinterpret_cast<FILE_NAME_INFO*>(room.data());
    if (GetFileInformationByHandleEx(file, FileNameInfo, name, static_cast<DWORD>(room.size())) ==
            FALSE ||
        name->FileNameLength == 0 || name->FileName[0] != L'\\')
        return {};
    return full.substr(0, 2) + Utf8FromWide(name->FileName, name->FileNameLength / sizeof(wchar_t));
}

class Win32ScratchFile final : public ScratchFile {
  public:
    explicit Win32ScratchFile(UniqueHandle file) : file_(std::move(file)) {}
    std::uint64_t Size() const override { return size_; }
    FileFailure ReadAt(std::uint64_t offset, unsigned char* data, std::size_t length) override {
        if (offset + length > size_ || !ReadAllAt(file_.get(), data, length, offset))
            return FileFailure::kReadFailed;
        return FileFailure::kNone;
    }
    FileFailure BeginReplacement(std::unique_ptr<NewContent>&) override {
        return FileFailure::kNoAccess;
    }
    FileFailure Write(const unsigned char* data, std::size_t length) override {
        if (!WriteAllAt(file_.get(), data, length, size_))
            return FailureOf(GetLastError(), FileFailure::kWriteFailed);
        size_ += length;
        return FileFailure::kNone;
    }

  private:
    UniqueHandle file_;
    std::uint64_t size_ = 0;
};

// The user's temporary folder, ending in a backslash; empty when the system names none.
std::string TemporaryFolder() {
    wchar_t folder[MAX_PATH + 2];
    const DWORD length = GetTempPathW(MAX_PATH + 2, folder);
    if (length == 0 || length > MAX_PATH + 1)
        return {};
    return Utf8FromWide(folder, length);
}

// Scratch files are in %TEMP%, open without sharing and deleted by the system when their
// handle closes (FILE_FLAG_DELETE_ON_CLOSE), also when the program is killed.
FileFailure CreateScratchFile(std::unique_ptr<ScratchFile>& out) {
    const std::string folder = TemporaryFolder();
    if (folder.empty())
        return FileFailure::kMissing;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string path = RandomName(folder + "vq-scratch~", kTempSuffix);
        UniqueHandle file(
            CreateFileW(FileSystemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                        CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (file.valid()) {
            out = std::make_unique<Win32ScratchFile>(std::move(file));
            return FileFailure::kNone;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return FailureOf(error, FileFailure::kWriteFailed);
    }
    return FileFailure::kWriteFailed;
}

class Win32Files : public FileAccess {
  public:
    bool SameFile(const std::string& first, const std::string& second) override {
        return SameFileOnDisk(first, second);
    }
    bool Exists(const std::string& path) override { return EntryExists(path); }
    const StrongPrimitives* StrongCryptography(std::string& problem) override {
        return StrongPrimitivesOrProblem(problem);
    }
    FileFailure BeginScratchFile(std::unique_ptr<ScratchFile>& out) override {
        return CreateScratchFile(out);
    }

    FileFailure OpenSource(const std::string& path, OpenPurpose purpose,
                           std::unique_ptr<SourceFile>& out) override {
        const DWORD attributes = GetFileAttributesW(FileSystemPath(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return FailureOf(GetLastError(), FileFailure::kReadFailed);
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            return FileFailure::kIsFolder;
        const bool replace = purpose == OpenPurpose::kReplace;
        if (replace && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
            return FileFailure::kNoAccess;
        // Kept open for a replacement: readers may go on, writers are kept out until the new
        // content is in place.
        DWORD access = GENERIC_READ;
        DWORD share = kShareAll;
        if (replace) {
            access = GENERIC_READ | GENERIC_WRITE;
            share = FILE_SHARE_READ | FILE_SHARE_DELETE;
        } else if (purpose == OpenPurpose::kReadWritable) {
            access = GENERIC_READ | GENERIC_WRITE;
            share = FILE_SHARE_READ | FILE_SHARE_WRITE;
        }
        UniqueHandle file = OpenExisting(path, access, share, FILE_FLAG_SEQUENTIAL_SCAN);
        if (!file.valid())
            return FailureOf(GetLastError(), FileFailure::kReadFailed);
        if (GetFileType(file.get()) != FILE_TYPE_DISK)
            return FileFailure::kNotFile;
        BY_HANDLE_FILE_INFORMATION opened{};
        if (GetFileInformationByHandle(file.get(), &opened) == FALSE)
            return FileFailure::kReadFailed;
        std::string realPath = replace ? FinalPathOf(file.get()) : std::string();
        if (replace && realPath.empty())
            realPath = VolumePathOf(file.get(), path);
        out = std::make_unique<Win32Source>(std::move(file), opened, std::move(realPath));
        return FileFailure::kNone;
    }

    FileFailure BeginNewFile(const std::string& path, std::unique_ptr<NewContent>& out) override {
        return BeginNewFileContent(path, out);
    }
};

} // namespace

FileAccess& SystemFiles() {
    static Win32Files files;
    return files;
}
