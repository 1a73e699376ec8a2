#include "platform/win32_dll_search.h"

#include <windows.h>

namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

// Windows 7 has SetDefaultDllDirectories only with its update KB2533623, so it is looked up
// rather than imported: without it the programs would not start there at all.
SetDefaultDllDirectoriesFunction FindSetDefaultDllDirectories() {
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr)
        return nullptr;
    return reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
}

} // namespace

void RestrictDllSearchToSystemFolder() {
    // The system folder alone replaces the whole search order: the program's folder, the
    // current folder, the Windows folder and PATH. libgcrypt's two DLLs still find each other:
    // they are loaded by their full paths, libgpg-error-0.dll first, and each looks beside
    // itself for what it needs.
    if (const SetDefaultDllDirectoriesFunction setDefaultDllDirectories =
            FindSetDefaultDllDirectories())
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Where the call above is missing, the old search order without the current folder.
    SetDllDirectoryW(L"");
    // SearchPathW looks in the current folder only after the system's folders, and nothing
    // later in the process can turn that back.
    SetSearchPathMode(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
}
