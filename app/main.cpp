// Process entry of Veilquill: the companion program is started, then the main window runs.
#include <windows.h>

#include <string>

#include "app/main_window.h"
#include "platform/win32_dll_search.h"
#include "platform/win32_handles.h"
#include "platform/win32_program_folder.h"
#include "platform/win32_wide_text.h"

namespace {

// The companion's whole command line: SendTo.exe has always been started with exactly this
// text, and what it makes of it is the companion's own business.
constexpr wchar_t kCompanionCommandLine[] = L"qj";

// Starts the companion program SendTo.exe beside Veilquill once, and does not wait for it.
void LaunchCompanion() {
    const std::string folder = ProgramFolder(false);
    if (folder.empty())
        return;
    const std::wstring path = FileSystemPath(folder + "\\SendTo.exe");
    // CreateProcessW may write into its command line, so it gets a copy of its own.
    std::wstring commandLine = kCompanionCommandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process)) {
        // Fire and forget: a missing or failing companion is not reported.
        UniqueHandle processHandle(process.hProcess);
        UniqueHandle threadHandle(process.hThread);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictDllSearchToSystemFolder();
    App().instance = GetModuleHandleW(nullptr);
    LaunchCompanion();
    ExitProcess(static_cast<UINT>(RunMainWindow(App().instance)));
}
