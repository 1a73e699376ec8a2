#include "driver/finder_support.h"

#include <vector>

#include "driver/ui_driver.h"

namespace vqtest {

namespace {

// Wine splits a Unix program's command line by the Windows rules.
std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// Starts a Unix program (Wine runs those, too). Wine gives back no handle that can be waited
// for, so the callers wait for the program's effect.
bool StartUnixProgram(const std::string& commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::vector<char> command(commandLine.begin(), commandLine.end());
    command.push_back('\0');
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    return true;
}

bool IsFolderLink(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::string UnixPathWithoutSlash(const std::string& windowsPath) {
    std::string unix = WindowsToUnixPath(windowsPath);
    while (unix.size() > 1 && unix.back() == '/')
        unix.pop_back();
    return unix;
}

} // namespace

bool MakeFolderLink(const std::string& link, const std::string& target) {
    return StartUnixProgram("/bin/ln -s " + Quoted(UnixPathWithoutSlash(target)) + " " +
                            Quoted(UnixPathWithoutSlash(link))) &&
           WaitUntil([&] { return IsFolderLink(link); });
}

bool RemoveFolderLink(const std::string& link) {
    if (!IsFolderLink(link))
        return true;
    return StartUnixProgram("/bin/rm -f " + Quoted(UnixPathWithoutSlash(link))) &&
           WaitUntil([&] { return GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

bool RunUnixScript(const std::string& script, const std::string& doneMarker, DWORD timeoutMs) {
    return StartUnixProgram("/bin/sh -c " + Quoted(script)) &&
           WaitUntil([&] { return FileExists(doneMarker); }, timeoutMs);
}

UINT ListRowState(HWND list, int row, UINT mask) {
    return static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), mask));
}

bool SetListRowState(HWND list, int row, UINT state, UINT mask) {
    RemoteMemory block(list, sizeof(LVITEMA));
    LVITEMA item{};
    item.state = state;
    item.stateMask = mask;
    if (!block.Valid() || !block.Write(&item, sizeof item))
        return false;
    return SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), block.Param()) != FALSE;
}

} // namespace vqtest
