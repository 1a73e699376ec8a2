#include "platform/win32/files.h"

#include "platform/crypto_library.h"
#include "platform/file_identity.h"
#include "platform/platform.h"
#include "platform/win32/file_failure.h"
#include "platform/win32/file_io.h"
#include "platform/win32/new_content.h"
#include "platform/win32_path_attributes.h"
#include "platform/win32/scratch_file.h"
#include "platform/win32/temp_files.h"
#include "platform/win32_wide_text.h"

#include <vector>

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

// The folder part of a path, with its last backslash.
std::string FolderPartOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".\\") : path.substr(0, slash + 1);
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

// Whether the file may be removed from its name now: another program that has it open without
// sharing its deletion keeps the swap from happening, which is better known before the new
// content is written.
bool MayBeReplaced(const std::string& path) {
    return OpenExisting(path, DELETE, kShareAll, FILE_FLAG_BACKUP_SEMANTICS).valid();
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
        // Held for a replacement: readers may go on, writers are kept out until the swap.
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

    FileFailure BeginNewFile(const std::string& given, std::unique_ptr<NewContent>& out) override {
        std::string path;
        // A path that ends in a separator names a folder, not a file to be made.
        if (!FullPath(given.c_str(), path) || path.empty() || path.back() == '\\' ||
            path.back() == '/')
            return FileFailure::kMissing;
        if (EntryExists(path))
            return FileFailure::kExists;
        UniqueHandle temp;
        std::string tempPath;
        const FileFailure failure = CreateDoomedFile(FolderPartOf(path), "", temp, tempPath);
        if (failure != FileFailure::kNone)
            return failure;
        out =
            std::make_unique<Win32NewContent>(nullptr, path, std::move(temp), std::move(tempPath));
        return FileFailure::kNone;
    }
};

} // namespace

FileFailure Win32Source::ReadAt(std::uint64_t offset, unsigned char* data, std::size_t length) {
    return ReadAllAt(file_.get(), data, length, offset) ? FileFailure::kNone
                                                        : FileFailure::kReadFailed;
}

FileFailure Win32Source::BeginReplacement(std::unique_ptr<NewContent>& out) {
    if (realPath_.empty())
        return FileFailure::kNoAccess;
    if (!HasSeveralLinks() && !MayBeReplaced(realPath_))
        return FileFailure::kWriteFailed;
    UniqueHandle temp;
    std::string tempPath;
    const std::string folder = FolderPartOf(realPath_);
    const FileFailure failure = CreateDoomedFile(
        folder, HasSeveralLinks() ? realPath_.substr(folder.size()) : "", temp, tempPath);
    if (failure != FileFailure::kNone)
        return failure;
    out = std::make_unique<Win32NewContent>(this, realPath_, std::move(temp), std::move(tempPath));
    return FileFailure::kNone;
}

bool Win32Source::Unchanged() const {
    BY_HANDLE_FILE_INFORMATION now{};
    return GetFileInformationByHandle(file_.get(), &now) != FALSE &&
           now.nFileSizeHigh == opened_.nFileSizeHigh && now.nFileSizeLow == opened_.nFileSizeLow &&
           CompareFileTime(&now.ftLastWriteTime, &opened_.ftLastWriteTime) == 0;
}

FileAccess& SystemFiles() {
    static Win32Files files;
    return files;
}
