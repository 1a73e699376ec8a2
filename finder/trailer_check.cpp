#include "finder/trailer_check.h"

#include <windows.h>

#include "cipher/encrypted_trailer.h"
#include "util/win_handles.h"

bool FileEndsInTrailer(const char* path) {
    UniqueHandle file(CreateFileA(path, GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!file.valid())
        return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < static_cast<LONGLONG>(kTrailerLength))
        return false;

    // A read at an explicit offset: the file position is neither needed nor moved.
    const ULONGLONG offset = static_cast<ULONGLONG>(size.QuadPart) - kTrailerLength;
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    unsigned char lastTwo[kTrailerLength] = {};
    DWORD read = 0;
    if (!ReadFile(file.get(), lastTwo, static_cast<DWORD>(kTrailerLength), &read, &at) ||
        read != kTrailerLength)
        return false;
    return IsTrailer(lastTwo);
}
