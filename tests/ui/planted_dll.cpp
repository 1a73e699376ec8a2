// A DLL that stands for one someone else put where a program might look for a DLL of its
// name. Once loaded, it leaves a file beside itself that says so, named
// "<its own name> loaded by <the program's name>", and refuses to stay, so that the program
// goes on as it would have without it.
#include <windows.h>

#include <string>

namespace {

std::wstring ModulePath(HMODULE module) {
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
    path.resize(length < path.size() ? length : 0);
    return path;
}

std::wstring NameOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

void LeaveMark(HMODULE self) {
    const std::wstring dll = ModulePath(self);
    const std::wstring program = ModulePath(nullptr);
    if (dll.empty() || program.empty())
        return;
    const std::wstring mark = dll + L" loaded by " + NameOf(program);
    const HANDLE file =
        CreateFileW(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    LeaveMark(self);
    return FALSE;
}
