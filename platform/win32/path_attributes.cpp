#include "platform/win32_path_attributes.h"

#include <windows.h>

#include <vector>

#include "platform/win32_wide_text.h"

bool FullPath(const char* path, std::string& full) {
    const std::wstring absolute = FullWidePath(WideFromUtf8(path));
    if (absolute.empty())
        return false;
    full = Utf8FromWide(absolute);
    return true;
}

bool EntryExists(const std::string& path) {
    return GetFileAttributesW(FileSystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(FileSystemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::uint64_t ListedFileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW(FileSystemPath(path).c_str(), GetFileExInfoStandard, &data) == FALSE)
        return 0;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void NormaliseFileAttributes(const std::string& path) {
    const std::wstring wide = FileSystemPath(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return;
    if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) != 0)
        SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_ARCHIVE);
}
