#include "document/document_file.h"

#include <windows.h>

#include "platform/win32_path_attributes.h"
#include "util/path_text.h"
#include "util/win_handles.h"

namespace {

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

FileStatus StatusOfJob(JobOutcome outcome, FileFailure failure, bool atTarget) {
    switch (failure) {
    case FileFailure::kNone:
        break;
    case FileFailure::kChanged:
        return FileStatus::kChanged;
    case FileFailure::kStopped:
        return FileStatus::kStopped;
    case FileFailure::kStranded:
        return FileStatus::kStranded;
    case FileFailure::kReadFailed:
        return atTarget ? FileStatus::kWriteFailed : FileStatus::kReadFailed;
    default:
        return atTarget ? FileStatus::kWriteFailed : FileStatus::kOpenFailed;
    }
    switch (outcome) {
    case JobOutcome::kEmpty:
        return FileStatus::kEmpty;
    case JobOutcome::kNoKey:
        return FileStatus::kNoKey;
    case JobOutcome::kStoreFailed:
        return FileStatus::kStoreFailed;
    default:
        return FileStatus::kOk;
    }
}

void NormaliseAttributes(const char* path) {
    NormaliseFileAttributes(path);
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
    return EntryExists(path);
}
