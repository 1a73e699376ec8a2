// Process entry of SendTo.exe, Veilquill's companion: it keeps Veilquill in the user's Send To
// menu. It shows nothing (no window, message or console) and reports nothing but its exit code:
// 0 when it did what was asked, 1 when it did not.
#include <windows.h>

#include "platform/win32_dll_search.h"
#include "sendto/send_to_entry.h"
#include "platform/win32_wide_text.h"
#include "platform/win32_handles.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictDllSearchToSystemFolder();
    // No system message box for a drive that is not ready or a file that cannot be opened.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
    const SendToRequest request = ParseSendToRequest(Utf8FromWide(GetCommandLineW()).c_str());
    bool done = false;
    try {
        const ComInitialization com = InitializeCom();
        done = com && CarryOutSendToRequest(request);
    } catch (...) {
        done = false;
    }
    return done ? 0 : 1;
}
