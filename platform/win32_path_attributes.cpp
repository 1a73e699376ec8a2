#include "platform/win32_path_attributes.h"

#include <windows.h>

bool FullPath(const char* path, std::string& full) {
    char out[MAX_PATH] = {};
    char* namePart = nullptr;
    const DWORD length = GetFullPathNameA(path, MAX_PATH, out, &namePart);
    if (length == 0 || length >= MAX_PATH)
        return false;
    full.assign(out, length);
    return true;
}

bool EntryExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::uint64_t ListedFileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) == FALSE)
        return 0;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void NormaliseFileAttributes(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return;
    if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) != 0)
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_ARCHIVE);
}
