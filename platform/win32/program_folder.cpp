#include "platform/win32_program_folder.h"

#include <windows.h>

#include <vector>

#include "platform/win32_wide_text.h"

namespace {

// The longest path the system hands out, in UTF-16 units.
constexpr DWORD kLongestPath = 32768;

} // namespace

std::string ProgramFolder(bool keepBackslash) {
    // The buffer grows until the path fits: a cut path is not reported as an error.
    std::vector<wchar_t> path(MAX_PATH + 1);
    DWORD length = 0;
    for (;;) {
        const auto capacity = static_cast<DWORD>(path.size());
        length = GetModuleFileNameW(nullptr, path.data(), capacity);
        if (length == 0)
            return {};
        if (length < capacity)
            break;
        if (capacity >= kLongestPath)
            return {};
        path.resize(path.size() * 2);
    }
    std::string text = Utf8FromWide(path.data(), length);
    const std::size_t lastBackslash = text.find_last_of('\\');
    if (lastBackslash == std::string::npos)
        return {};
    text.resize(lastBackslash + (keepBackslash ? 1 : 0));
    return text;
}
