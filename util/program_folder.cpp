#include "util/program_folder.h"

#include <windows.h>

#include <cstring>

bool ProgramFolder(bool keepBackslash, char* out, std::size_t capacity) {
    if (capacity == 0)
        return false;
    out[0] = '\0';
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    char* lastBackslash = std::strrchr(path, '\\');
    if (lastBackslash == nullptr)
        return false;
    lastBackslash[keepBackslash ? 1 : 0] = '\0';
    const std::size_t folderLength = std::strlen(path);
    if (folderLength + 1 > capacity)
        return false;
    std::memcpy(out, path, folderLength + 1);
    return true;
}
