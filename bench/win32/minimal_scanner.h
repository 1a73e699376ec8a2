// The yardstick for the folder scan: a minimal scanner that enumerates, opens, reads two bytes
// and closes, and nothing more.
#ifndef VEILQUILL_MINIMAL_SCANNER_H
#define VEILQUILL_MINIMAL_SCANNER_H

#include <windows.h>

#include <cstdint>
#include <string>

#include "cipher/encrypted_trailer.h"
#include "platform/win32_handles.h"

constexpr std::uint64_t kNotCounted = ~0ull;

struct Tally {
    std::uint64_t entries = 0;
    std::uint64_t found = 0;
    std::uint64_t bytesRead = 0; // kNotCounted where the scanner does not tell
};

// Walks `folder` (ending in a backslash) depth first, passing over names that begin with "."
// and not entering folder links, and counts entries and files that end in the trailer.
inline void MinimalWalk(const std::string& folder, Tally& tally) {
    WIN32_FIND_DATAA entry;
    UniqueFind search(FindFirstFileExA((folder + "*").c_str(), FindExInfoBasic, &entry,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!search.valid())
        return;
    do {
        if (entry.cFileName[0] == '.')
            continue;
        ++tally.entries;
        const std::string path = folder + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                MinimalWalk(path + "\\", tally);
            continue;
        }
        const std::uint64_t size =
            (static_cast<std::uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
        UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file.valid())
            continue;
        if (size >= 2) {
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(size - 2);
            at.OffsetHigh = static_cast<DWORD>((size - 2) >> 32);
            unsigned char lastTwo[2] = {};
            DWORD read = 0;
            if (ReadFile(file.get(), lastTwo, 2, &read, &at) && read == 2) {
                tally.bytesRead += 2;
                if (IsTrailer(lastTwo))
                    ++tally.found;
            }
        }
    } while (FindNextFileA(search.get(), &entry));
}

#endif
