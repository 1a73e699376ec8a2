#include "app/companion.h"

#include <windows.h>

#include "util/path_text.h"
#include "util/program_folder.h"
#include "util/win_handles.h"

namespace {

// The companion's whole command line: SendTo.exe has always been started with exactly this
// text, and what it makes of it is the companion's own business.
constexpr char kCompanionCommandLine[] = "qj";

} // namespace

void LaunchCompanion() {
    char path[MAX_PATH] = {};
    if (!ProgramFolder(false, path, sizeof path) ||
        !AppendWholeText(path, sizeof path, "\\SendTo.exe"))
        return;
    // CreateProcessA may write into its command line, so it gets a copy of its own.
    char commandLine[sizeof kCompanionCommandLine] = {};
    lstrcpynA(commandLine, kCompanionCommandLine, sizeof commandLine);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessA(path, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        // Fire and forget: a missing or failing companion is not reported.
        UniqueHandle processHandle(process.hProcess);
        UniqueHandle threadHandle(process.hThread);
    }
}
