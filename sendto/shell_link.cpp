#include "sendto/shell_link.h"

#include <windows.h>
#include <shlobj.h>

#include "util/win_handles.h"

namespace {

using UniqueShellLink = UniqueCom<IShellLinkA>;
using UniquePersistFile = UniqueCom<IPersistFile>;

// IPersistFile names files in UTF-16; the path is converted whole or not at all.
std::optional<std::wstring> WidePath(const std::string& path) {
    if (path.empty() || path.size() >= MAX_PATH)
        return std::nullopt;
    wchar_t wide[MAX_PATH] = {};
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.c_str(), -1, wide, MAX_PATH) == 0)
        return std::nullopt;
    return std::wstring(wide);
}

UniqueShellLink NewShellLink() {
    UniqueShellLink link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(link.put()))))
        link.reset();
    return link;
}

UniquePersistFile PersistFileOf(IShellLinkA* link) {
    UniquePersistFile file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put()))))
        file.reset();
    return file;
}

// A shell link loaded from `path`, or an empty owner.
UniqueShellLink LoadShellLink(const std::string& path) {
    const std::optional<std::wstring> widePath = WidePath(path);
    if (!widePath || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return UniqueShellLink();
    UniqueShellLink link = NewShellLink();
    if (!link)
        return link;
    UniquePersistFile file = PersistFileOf(link.get());
    if (!file || FAILED(file.get()->Load(widePath->c_str(), STGM_READ)))
        link.reset();
    return link;
}

bool FillAndSave(IShellLinkA* link, const std::string& shortcutPath,
                 const ShortcutContent& content) {
    const std::optional<std::wstring> widePath = WidePath(shortcutPath);
    if (!widePath || content.target.size() >= MAX_PATH || content.workingFolder.size() >= MAX_PATH)
        return false;
    if (FAILED(link->SetPath(content.target.c_str())) ||
        FAILED(link->SetWorkingDirectory(content.workingFolder.c_str())) ||
        FAILED(link->SetIconLocation(content.target.c_str(), 0)) ||
        FAILED(link->SetDescription(content.description.c_str())))
        return false;
    UniquePersistFile file = PersistFileOf(link);
    return file && SUCCEEDED(file.get()->Save(widePath->c_str(), TRUE));
}

} // namespace

std::optional<std::string> ShortcutTarget(const std::string& shortcutPath) {
    UniqueShellLink link = LoadShellLink(shortcutPath);
    if (!link)
        return std::nullopt;
    char target[MAX_PATH] = {};
    if (link.get()->GetPath(target, MAX_PATH, nullptr, 0) != S_OK || target[0] == '\0')
        return std::nullopt;
    return std::string(target);
}

bool WriteShortcut(const std::string& shortcutPath, const ShortcutContent& content) {
    UniqueShellLink link = NewShellLink();
    return link && FillAndSave(link.get(), shortcutPath, content);
}

bool RepointShortcut(const std::string& shortcutPath, const ShortcutContent& content) {
    UniqueShellLink link = LoadShellLink(shortcutPath);
    return link && FillAndSave(link.get(), shortcutPath, content);
}
