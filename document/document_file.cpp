#include "document/document_file.h"

#include <cstring>
#include <utility>

#include "util/path_text.h"

namespace {

// Reads and writes go in pieces, so that no single call has to move the whole file.
constexpr DWORD kIoPiece = 16u * 1024u * 1024u;

// The attributes a replacement file takes over from the file it replaces.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The start of a temporary file's name, so that one left behind by a power cut is known.
constexpr char kTempPrefix[] = "vq~";

// Room for a terminator or a trailer after the bytes; far below what could overflow a size.
constexpr std::size_t kMaxSpareBytes = 16;

HANDLE OpenDocument(const char* path) {
    return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_WRITE_THROUGH, nullptr);
}

bool ReadAll(HANDLE file, unsigned char* data, std::uint32_t size) {
    std::uint32_t done = 0;
    while (done < size) {
        const DWORD want = size - done < kIoPiece ? size - done : kIoPiece;
        DWORD got = 0;
        if (ReadFile(file, data + done, want, &got, nullptr) == FALSE || got == 0)
            return false;
        done += got;
    }
    return true;
}

bool WriteAll(HANDLE file, const unsigned char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const DWORD want = size - done < kIoPiece ? static_cast<DWORD>(size - done) : kIoPiece;
        DWORD written = 0;
        if (WriteFile(file, data + done, want, &written, nullptr) == FALSE || written != want)
            return false;
        done += written;
    }
    return true;
}

// The full form of a path; false when it does not fit.
bool FullPath(const char* path, char (&out)[MAX_PATH]) {
    char* namePart = nullptr;
    const DWORD length = GetFullPathNameA(path, MAX_PATH, out, &namePart);
    return length != 0 && length < MAX_PATH;
}

// The folder part of a full path, without its last backslash ("C:\" stays "C:\").
bool FolderOf(const char* fullPath, char (&out)[MAX_PATH]) {
    if (!CopyWholeText(out, sizeof out, fullPath))
        return false;
    char* lastBackslash = std::strrchr(out, '\\');
    if (lastBackslash == nullptr)
        return false;
    lastBackslash[lastBackslash == out + 2 && out[1] == ':' ? 1 : 0] = '\0';
    return true;
}

// What a replacement takes over from the file it replaces.
struct Inheritance {
    bool exists = false;
    DWORD attributes = 0;
    FILETIME created{};
};

Inheritance InheritanceOf(const char* path) {
    Inheritance inherited;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExA(path, GetFileExInfoStandard, &data) != FALSE) {
        inherited.exists = true;
        inherited.attributes = data.dwFileAttributes;
        inherited.created = data.ftCreationTime;
    }
    return inherited;
}

// Writes the new content into the temporary file and makes sure it reached the disk.
bool FillTemporaryFile(const char* tempPath, const unsigned char* data, std::size_t size,
                       const Inheritance& inherited) {
    UniqueHandle temp(CreateFileA(tempPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!temp.valid())
        return false;
    if (!WriteAll(temp.get(), data, size) || FlushFileBuffers(temp.get()) == FALSE)
        return false;
    if (inherited.exists)
        SetFileTime(temp.get(), &inherited.created, nullptr, nullptr); // best effort
    return temp.close();
}

void RemoveTemporaryFile(const char* tempPath) {
    SetFileAttributesA(tempPath, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(tempPath);
}

bool SameFileIdentity(const char* first, const char* second) {
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    UniqueHandle a(
        CreateFileA(first, 0, share, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    UniqueHandle b(
        CreateFileA(second, 0, share, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!a.valid() || !b.valid())
        return false;
    BY_HANDLE_FILE_INFORMATION infoA{};
    BY_HANDLE_FILE_INFORMATION infoB{};
    if (GetFileInformationByHandle(a.get(), &infoA) == FALSE ||
        GetFileInformationByHandle(b.get(), &infoB) == FALSE)
        return false;
    return infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
           infoA.nFileIndexHigh == infoB.nFileIndexHigh &&
           infoA.nFileIndexLow == infoB.nFileIndexLow;
}

} // namespace

FileBytes ReadWholeFile(const char* path, std::size_t spareBytes) {
    UniqueHandle file(OpenDocument(path));
    if (!file.valid())
        return FileBytes{FileStatus::kOpenFailed, {}, 0};
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) == FALSE || size.QuadPart < 0)
        return FileBytes{FileStatus::kReadFailed, {}, 0};
    if (size.QuadPart == 0)
        return FileBytes{FileStatus::kEmpty, {}, 0};
    if (size.QuadPart > static_cast<LONGLONG>(kLargestDocument) || spareBytes > kMaxSpareBytes)
        return FileBytes{FileStatus::kTooLarge, {}, 0};
    const auto fileSize = static_cast<std::uint32_t>(size.QuadPart);
    ZeroedBlock block(static_cast<std::size_t>(fileSize) + spareBytes);
    if (!block.valid())
        return FileBytes{FileStatus::kTooLarge, {}, 0};
    if (!ReadAll(file.get(), block.data(), fileSize))
        return FileBytes{FileStatus::kReadFailed, {}, 0};
    return FileBytes{FileStatus::kOk, std::move(block), fileSize};
}

FileStatus WriteFileAtomically(const char* path, const unsigned char* data, std::size_t size) {
    char target[MAX_PATH] = {};
    char folder[MAX_PATH] = {};
    if (path == nullptr || !FullPath(path, target) || !FolderOf(target, folder))
        return FileStatus::kWriteFailed;
    const Inheritance inherited = InheritanceOf(target);
    if (inherited.exists && (inherited.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return FileStatus::kWriteFailed;

    // GetTempFileNameA creates the file under a name no one else has, in the target's folder
    // so that the final move stays on one volume.
    char tempPath[MAX_PATH] = {};
    if (GetTempFileNameA(folder, kTempPrefix, 0, tempPath) == 0)
        return FileStatus::kWriteFailed;
    if (!FillTemporaryFile(tempPath, data, size, inherited)) {
        RemoveTemporaryFile(tempPath);
        return FileStatus::kWriteFailed;
    }
    if (inherited.exists) {
        const DWORD kept = inherited.attributes & kKeptAttributes;
        SetFileAttributesA(tempPath, kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
    }
    if (MoveFileExA(tempPath, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ==
        FALSE) {
        RemoveTemporaryFile(tempPath);
        return FileStatus::kWriteFailed;
    }
    return FileStatus::kOk;
}

void NormaliseAttributes(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    // A folder keeps its attributes: Explorer marks customised folders read-only or system.
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return;
    if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) != 0)
        SetFileAttributesA(path, FILE_ATTRIBUTE_ARCHIVE);
}

bool IsSameFile(const char* first, const char* second) {
    char fullFirst[MAX_PATH] = {};
    char fullSecond[MAX_PATH] = {};
    if (first == nullptr || second == nullptr || !FullPath(first, fullFirst) ||
        !FullPath(second, fullSecond))
        return false;
    return lstrcmpiA(fullFirst, fullSecond) == 0 || SameFileIdentity(fullFirst, fullSecond);
}

bool FullPathOf(const char* path, char* out, std::size_t capacity) {
    char full[MAX_PATH] = {};
    if (out == nullptr || capacity == 0)
        return false;
    out[0] = '\0';
    return path != nullptr && path[0] != '\0' && FullPath(path, full) &&
           CopyWholeText(out, capacity, full);
}

bool PathExists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}
