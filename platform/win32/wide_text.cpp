#include "platform/win32_wide_text.h"

#include <windows.h>

#include <vector>

std::wstring WideFromUtf8(const std::string& text) {
    if (text.empty())
        return std::wstring();
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                            length);
    return wide;
}

std::string Utf8FromWide(const wchar_t* text, std::size_t length) {
    if (text == nullptr)
        return std::string();
    if (length == std::wstring::npos)
        length = wcslen(text);
    if (length == 0)
        return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                         nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), &utf8[0], size, nullptr,
                            nullptr);
    return utf8;
}

namespace {

// Folder calls stop at 248 characters (room for an 8.3 name), file calls at 260.
constexpr std::size_t kShortPathLimit = 248;

bool HasPrefix(const std::wstring& path, const wchar_t* prefix) {
    return path.compare(0, wcslen(prefix), prefix) == 0;
}

} // namespace

std::wstring FullWidePath(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return std::wstring();
    std::vector<wchar_t> full(needed + 1);
    const DWORD length = GetFullPathNameW(path.c_str(), needed + 1, full.data(), nullptr);
    if (length == 0 || length > needed)
        return std::wstring();
    return std::wstring(full.data(), length);
}

std::wstring FileSystemPath(const std::string& path) {
    std::wstring wide = WideFromUtf8(path);
    if (wide.size() < kShortPathLimit || HasPrefix(wide, L"\\\\?\\"))
        return wide;
    const std::wstring absolute = FullWidePath(wide);
    if (absolute.empty())
        return wide;
    if (HasPrefix(absolute, L"\\\\"))
        return L"\\\\?\\UNC\\" + absolute.substr(2);
    return L"\\\\?\\" + absolute;
}
