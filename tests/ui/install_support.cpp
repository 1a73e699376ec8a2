#include "install_support.h"

#include <shlobj.h>

#include "driver/ui_driver.h"
#include "util/win_handles.h"

namespace vqtest {

std::string ShellFolderPath(int csidl) {
    char path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::string();
    return path;
}

std::string SendToShortcutPath() {
    return JoinPath(ShellFolderPath(CSIDL_SENDTO), "Veilquill.lnk");
}

std::string SendToMarkPath() {
    return JoinPath(ShellFolderPath(CSIDL_APPDATA), "Veilquill\\SendToEntryMade.txt");
}

void ForgetSendToEntry() {
    DeleteFileA(SendToShortcutPath().c_str());
    DeleteFileA(SendToMarkPath().c_str());
    RemoveDirectoryA(JoinPath(ShellFolderPath(CSIDL_APPDATA), "Veilquill").c_str());
}

std::optional<std::string> ShortcutTarget(const std::string& shortcutPath) {
    if (!FileExists(shortcutPath))
        return std::nullopt;
    const ComInitialization com = InitializeCom();
    UniqueCom<IShellLinkA> link;
    UniqueCom<IPersistFile> file;
    wchar_t widePath[MAX_PATH] = {};
    char target[MAX_PATH] = {};
    if (!com ||
        FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(link.put()))) ||
        FAILED(
            link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put()))) ||
        !MultiByteToWideChar(CP_ACP, 0, shortcutPath.c_str(), -1, widePath, MAX_PATH) ||
        FAILED(file.get()->Load(widePath, STGM_READ)) ||
        link.get()->GetPath(target, MAX_PATH, nullptr, 0) != S_OK)
        return std::nullopt;
    return std::string(target);
}

bool SamePath(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

bool RegistryKeyExists(const std::string& key) {
    UniqueRegistryKey opened;
    return RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, opened.put()) ==
           ERROR_SUCCESS;
}

std::optional<std::string> RegistryText(const std::string& key, const char* name) {
    char value[2048] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::string(value);
}

std::optional<DWORD> RegistryNumber(const std::string& key, const char* name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::optional<DWORD> RunToEnd(const std::string& application, const std::string& commandLine,
                              DWORD timeoutMs) {
    std::string writable = commandLine; // CreateProcessA may write into its command line
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION information{};
    if (!CreateProcessA(application.empty() ? nullptr : application.c_str(), &writable[0], nullptr,
                        nullptr, FALSE, 0, nullptr, nullptr, &startup, &information))
        return std::nullopt;
    UniqueHandle process(information.hProcess);
    UniqueHandle thread(information.hThread);
    DWORD code = 0;
    if (WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.get(), &code))
        return std::nullopt;
    return code;
}

} // namespace vqtest
