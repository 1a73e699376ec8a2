// A stand-in that shows one system dialog the way Veilquill does and writes what it returned
// into a file, so the UI driver can be tried on dialogs the program cannot show yet.
//
//   dialogs_standin browse OUT     Browse for Folder (flags 0x53), writes the chosen path
//   dialogs_standin open OUT       Open dialog (flags 0x281804), writes the chosen path
//   dialogs_standin save OUT PATH  Save As dialog (flags 0x280004) starting on PATH
//   dialogs_standin message OUT    a Yes/No message box, writes "yes" or "no"
//   dialogs_standin menu OUT       a window whose WM_CONTEXTMENU opens a two-item pop-up menu;
//                                  writes the chosen command id, then closes
// A cancelled dialog writes "cancelled".
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "resources/resource_ids.h"
#include "platform/win32_handles.h"

namespace vqtest {
namespace {

std::string g_outPath;

void WriteResult(const std::string& text) {
    const UniqueHandle file(CreateFileA(g_outPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return;
    DWORD written = 0;
    WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void Browse() {
    const OleInitialization ole = InitializeOle();
    BROWSEINFOA info{};
    info.lpszTitle = "To view sub-folders, click a plus sign.";
    info.ulFlags = 0x53;
    const UniqueTaskMemory chosen(SHBrowseForFolderA(&info));
    if (!chosen.valid()) {
        WriteResult("cancelled");
    } else {
        char path[MAX_PATH] = {};
        SHGetPathFromIDListA(static_cast<LPITEMIDLIST>(chosen.get()), path);
        WriteResult(path);
    }
}

void FileDialog(bool save, const char* startPath) {
    char path[260] = {};
    if (startPath != nullptr)
        lstrcpynA(path, startPath, sizeof path);
    OPENFILENAMEA record{};
    record.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    record.lpstrFilter = "All Files\0*.*\0Text Files\0*.txt\0";
    record.lpstrFile = path;
    record.nMaxFile = sizeof path;
    record.Flags = save ? 0x280004 : 0x281804;
    const BOOL chosen = save ? GetSaveFileNameA(&record) : GetOpenFileNameA(&record);
    WriteResult(chosen ? path : "cancelled");
}

void Message() {
    const int answer = MessageBoxA(nullptr, "Replace the stand-in file?", "Stand-in", MB_YESNO);
    WriteResult(answer == IDYES ? "yes" : "no");
}

constexpr UINT kFirstItem = 1;
constexpr UINT kOpenItem = IDM_RESULTS_OPEN;

LRESULT CALLBACK MenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CONTEXTMENU: {
        const UniqueMenu menu(CreatePopupMenu());
        AppendMenuA(menu.get(), MF_STRING, kFirstItem, "First");
        AppendMenuA(menu.get(), MF_STRING, kOpenItem, "Open");
        POINT cursor{};
        GetCursorPos(&cursor);
        TrackPopupMenuEx(menu.get(), TPM_RIGHTBUTTON | TPM_RIGHTALIGN, cursor.x, cursor.y, window,
                         nullptr);
        return 0;
    }
    case WM_COMMAND:
        if (lParam == 0) {
            WriteResult("command " + std::to_string(LOWORD(wParam)));
            DestroyWindow(window);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void Menu(HINSTANCE instance) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = MenuWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = "StandinMenuWindow";
    RegisterClassA(&windowClass);
    HWND window =
        CreateWindowExA(0, "StandinMenuWindow", "Stand-in menu", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                        100, 100, 300, 200, nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        return;
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

} // namespace
} // namespace vqtest

using namespace vqtest;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (__argc < 3)
        return 2;
    const std::string mode = __argv[1];
    g_outPath = __argv[2];
    if (mode == "browse")
        Browse();
    else if (mode == "open")
        FileDialog(false, nullptr);
    else if (mode == "save")
        FileDialog(true, __argc > 3 ? __argv[3] : nullptr);
    else if (mode == "message")
        Message();
    else if (mode == "menu")
        Menu(instance);
    else
        return 2;
    return 0;
}
