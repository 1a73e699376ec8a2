// Process entry of Veilquill.
#include <windows.h>

#include "app/app_state.h"
#include "app/companion.h"
#include "app/main_window.h"
#include "platform/win32_dll_search.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictDllSearchToSystemFolder();
    App().instance = GetModuleHandleW(nullptr);
    LaunchCompanion();
    ExitProcess(static_cast<UINT>(RunMainWindow(App().instance)));
}
