#include "ui/help_path.h"

#include <shellapi.h>

#include <cstring>
#include <string>

#include "util/path_text.h"
#include "platform/win32_program_folder.h"
#include "platform/win32_wide_text.h"

bool HelpPathForProgramFolder(const char* programFolder, char* out, std::size_t capacity) {
    if (capacity == 0)
        return false;
    out[0] = '\0';
    const std::string path = HelpPathForProgramFolder(std::string(programFolder));
    if (path.empty() || path.size() + 1 > capacity)
        return false;
    std::memcpy(out, path.c_str(), path.size() + 1);
    return true;
}

std::string HelpPathForProgramFolder(const std::string& programFolder) {
    // The folder with exactly one closing backslash.
    std::string folder = programFolder;
    if (folder.empty())
        return {};
    if (folder.back() != '\\')
        folder += '\\';

    const std::size_t root = PathRootLength(folder);
    if (root == 0)
        return {};

    // Cut after the backslash that comes before the program folder's own name, but never
    // above the root: a program in "C:\" looks in "C:\Help\".
    std::size_t keep = folder.size() - 1;
    while (keep > root && folder[keep - 1] != '\\')
        --keep;
    if (keep < root)
        keep = root;
    return folder.substr(0, keep) + kHelpFileName;
}

std::string BuildHelpPath() {
    const std::string folder = ProgramFolder(true);
    return folder.empty() ? std::string() : HelpPathForProgramFolder(folder);
}

void HelpCommand(HWND mainWindow) {
    const std::string helpPath = BuildHelpPath();
    // A path that cannot be built is not guessed at: nothing opens, as with a missing file.
    if (helpPath.empty())
        return;
    ShellExecuteW(mainWindow, L"open", WideFromUtf8(helpPath).c_str(), nullptr, nullptr,
                  SW_SHOWNORMAL);
}
