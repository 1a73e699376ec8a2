#include "sendto/shell_link.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "platform/win32_wide_text.h"
#include "platform/win32_handles.h"

namespace {

using UniqueShellLink = UniqueCom<IShellLinkW>;
using UniquePersistFile = UniqueCom<IPersistFile>;

// The longest path the system hands out, in UTF-16 units with the terminator.
constexpr int kLongestPath = 32768;

UniqueShellLink NewShellLink() {
    UniqueShellLink link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.put()))))
        link.reset();
    return link;
}

UniquePersistFile PersistFileOf(IShellLinkW* link) {
    UniquePersistFile file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put()))))
        file.reset();
    return file;
}

// A shell link loaded from `path`, or an empty owner.
UniqueShellLink LoadShellLink(const std::string& path) {
    if (path.empty() || GetFileAttributesW(FileSystemPath(path).c_str()) == INVALID_FILE_ATTRIBUTES)
        return UniqueShellLink();
    UniqueShellLink link = NewShellLink();
    if (!link)
        return link;
    UniquePersistFile file = PersistFileOf(link.get());
    if (!file || FAILED(file.get()->Load(WideFromUtf8(path).c_str(), STGM_READ)))
        link.reset();
    return link;
}

bool FillAndSave(IShellLinkW* link, const std::string& shortcutPath,
                 const ShortcutContent& content) {
    if (shortcutPath.empty())
        return false;
    // Whatever the shell cannot keep in a shortcut (a target past its limit) fails here.
    const std::wstring target = WideFromUtf8(content.target);
    if (FAILED(link->SetPath(target.c_str())) ||
        FAILED(link->SetWorkingDirectory(WideFromUtf8(content.workingFolder).c_str())) ||
        FAILED(link->SetIconLocation(target.c_str(), 0)) ||
        FAILED(link->SetDescription(WideFromUtf8(content.description).c_str())))
        return false;
    UniquePersistFile file = PersistFileOf(link);
    return file && SUCCEEDED(file.get()->Save(WideFromUtf8(shortcutPath).c_str(), TRUE));
}

} // namespace

std::optional<std::string> ShortcutTarget(const std::string& shortcutPath) {
    UniqueShellLink link = LoadShellLink(shortcutPath);
    if (!link)
        return std::nullopt;
    std::vector<wchar_t> target(kLongestPath, L'\0');
    // The item list names the target in UTF-16 wherever the shortcut was made; the path the
    // link keeps beside it may be in the code page (Wine keeps only that one), which turns
    // other characters into question marks.
    PIDLIST_ABSOLUTE items = nullptr;
    if (link.get()->GetIDList(&items) == S_OK && items != nullptr) {
        const UniqueTaskMemory owned(items);
        if (SHGetPathFromIDListEx(items, target.data(), kLongestPath, GPFIDL_DEFAULT) &&
            target[0] != L'\0')
            return Utf8FromWide(target.data());
    }
    if (link.get()->GetPath(target.data(), kLongestPath, nullptr, 0) != S_OK || target[0] == L'\0')
        return std::nullopt;
    return Utf8FromWide(target.data());
}

bool WriteShortcut(const std::string& shortcutPath, const ShortcutContent& content) {
    UniqueShellLink link = NewShellLink();
    return link && FillAndSave(link.get(), shortcutPath, content);
}

bool RepointShortcut(const std::string& shortcutPath, const ShortcutContent& content) {
    UniqueShellLink link = LoadShellLink(shortcutPath);
    return link && FillAndSave(link.get(), shortcutPath, content);
}
