#include "document/document_file.h"

#include <cstring>
#include <utility>

#include "util/path_text.h"

namespace {

// Reads go in pieces, so that no single call has to move the whole file.
constexpr DWORD kIoPiece = 16u * 1024u * 1024u;

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

// The full form of a path; false when it does not fit.
bool FullPath(const char* path, char (&out)[MAX_PATH]) {
    char* namePart = nullptr;
    const DWORD length = GetFullPathNameA(path, MAX_PATH, out, &namePart);
    return length != 0 && length < MAX_PATH;
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

FileBytes ReadOpenFile(HANDLE file, std::size_t spareBytes) {
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) == FALSE || size.QuadPart < 0)
        return FileBytes{FileStatus::kReadFailed, {}, 0};
    if (size.QuadPart == 0)
        return FileBytes{FileStatus::kEmpty, {}, 0};
    if (size.QuadPart > static_cast<LONGLONG>(kLargestDocument) || spareBytes > kMaxSpareBytes)
        return FileBytes{FileStatus::kTooLarge, {}, 0};
    const auto fileSize = static_cast<std::uint32_t>(size.QuadPart);
    ZeroedBlock block(static_cast<std::size_t>(fileSize) + spareBytes);
    if (!block.valid())
        return FileBytes{FileStatus::kTooLarge, {}, 0};
    if (!ReadAll(file, block.data(), fileSize))
        return FileBytes{FileStatus::kReadFailed, {}, 0};
    return FileBytes{FileStatus::kOk, std::move(block), fileSize};
}

FileBytes ReadWholeFile(const char* path, std::size_t spareBytes) {
    UniqueHandle file(OpenDocument(path));
    if (!file.valid())
        return FileBytes{FileStatus::kOpenFailed, {}, 0};
    return ReadOpenFile(file.get(), spareBytes);
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
