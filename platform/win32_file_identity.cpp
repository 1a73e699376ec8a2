#include "platform/file_identity.h"

#include <windows.h>

#include "util/win_handles.h"

namespace {

// The full form of a path; false when it does not fit.
bool FullPath(const char* path, char (&out)[MAX_PATH]) {
    char* namePart = nullptr;
    const DWORD length = GetFullPathNameA(path, MAX_PATH, out, &namePart);
    return length != 0 && length < MAX_PATH;
}

bool SameIdentity(const char* first, const char* second) {
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

bool SameFileOnDisk(const std::string& first, const std::string& second) {
    char fullFirst[MAX_PATH] = {};
    char fullSecond[MAX_PATH] = {};
    if (!FullPath(first.c_str(), fullFirst) || !FullPath(second.c_str(), fullSecond))
        return false;
    return lstrcmpiA(fullFirst, fullSecond) == 0 || SameIdentity(fullFirst, fullSecond);
}
