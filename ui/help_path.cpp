#include "ui/help_path.h"

#include <cstring>

#include "util/program_folder.h"

namespace {

constexpr std::size_t kFolderCapacity = 260;

// Length of the root that a folder (written with its closing backslash) cannot climb above:
// "C:\" or "\\server\share\"; 0 when the folder starts with neither.
std::size_t RootLength(const char* folder) {
    if (folder[0] != '\0' && folder[1] == ':' && folder[2] == '\\')
        return 3;
    if (folder[0] == '\\' && folder[1] == '\\') {
        const char* server = folder + 2;
        const char* shareStart = std::strchr(server, '\\');
        if (shareStart == nullptr || shareStart == server || shareStart[1] == '\\' ||
            shareStart[1] == '\0')
            return 0;
        const char* shareEnd = std::strchr(shareStart + 1, '\\');
        return shareEnd == nullptr ? 0 : static_cast<std::size_t>(shareEnd - folder) + 1;
    }
    return 0;
}

} // namespace

bool HelpPathForProgramFolder(const char* programFolder, char* out, std::size_t capacity) {
    if (capacity == 0)
        return false;
    out[0] = '\0';

    // The folder with exactly one closing backslash.
    char folder[kFolderCapacity + 1] = {};
    std::size_t length = std::strlen(programFolder);
    if (length == 0 || length + 1 >= sizeof folder)
        return false;
    std::memcpy(folder, programFolder, length);
    if (folder[length - 1] != '\\')
        folder[length++] = '\\';

    const std::size_t root = RootLength(folder);
    if (root == 0)
        return false;

    // Cut after the backslash that comes before the program folder's own name, but never
    // above the root: a program in "C:\" looks in "C:\Help\".
    std::size_t keep = length - 1;
    while (keep > root && folder[keep - 1] != '\\')
        --keep;
    if (keep < root)
        keep = root;

    const std::size_t nameLength = sizeof kHelpFileName - 1;
    if (keep + nameLength + 1 > capacity)
        return false;
    std::memcpy(out, folder, keep);
    std::memcpy(out + keep, kHelpFileName, nameLength + 1);
    return true;
}

bool BuildHelpPath(char* out, std::size_t capacity) {
    if (capacity == 0)
        return false;
    out[0] = '\0';
    char folder[kFolderCapacity] = {};
    if (!ProgramFolder(true, folder, sizeof folder))
        return false;
    return HelpPathForProgramFolder(folder, out, capacity);
}
