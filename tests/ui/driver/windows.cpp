// Finding, reading and pressing windows of another process.
#include "driver/ui_driver.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>

namespace vqtest {

RemoteMemory::RemoteMemory(HWND window, std::size_t size) : size_(size) {
    process_.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               WindowProcessId(window)));
    if (!process_.valid())
        return;
    block_.reset({process_.get(), VirtualAllocEx(process_.get(), nullptr, size,
                                                 MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)});
}

void* RemoteMemory::Address(std::size_t offset) const {
    return static_cast<char*>(block_.get().value) + offset;
}

bool RemoteMemory::Write(const void* data, std::size_t size, std::size_t offset) {
    if (!Valid() || offset + size > size_)
        return false;
    SIZE_T written = 0;
    return WriteProcessMemory(process_.get(), Address(offset), data, size, &written) &&
           written == size;
}

bool RemoteMemory::Read(void* data, std::size_t size, std::size_t offset) const {
    if (!Valid() || offset + size > size_)
        return false;
    SIZE_T got = 0;
    return ReadProcessMemory(process_.get(), Address(offset), data, size, &got) && got == size;
}

std::string RemoteMemory::ReadText(std::size_t offset, std::size_t maxChars) const {
    if (offset >= size_)
        return std::string();
    std::string text(std::min(maxChars, size_ - offset), '\0');
    if (!Read(&text[0], text.size(), offset))
        return std::string();
    text.resize(std::strlen(text.c_str()));
    return text;
}

DWORD WindowProcessId(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

std::string WindowClass(HWND window) {
    char name[256] = {};
    const int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? length : 0);
}

std::string WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kWaitMs, &length))
        return std::string();
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                             SMTO_ABORTIFHUNG, kWaitMs, &copied))
        return std::string();
    text.resize(std::strlen(text.c_str()));
    return text;
}

std::wstring WindowTextUnits(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kWaitMs, &length))
        return std::wstring();
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                             SMTO_ABORTIFHUNG, kWaitMs, &copied))
        return std::wstring();
    text.resize(std::min<std::size_t>(copied, length));
    return text;
}

bool SetWindowTextTo(HWND window, const std::string& text) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                               SMTO_ABORTIFHUNG, kWaitMs, &result) &&
           result == TRUE;
}

LONG_PTR WindowStyle(HWND window) {
    return GetWindowLongPtrA(window, GWL_STYLE);
}
LONG_PTR WindowExStyle(HWND window) {
    return GetWindowLongPtrA(window, GWL_EXSTYLE);
}

RECT WindowRectOnScreen(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

RECT RectInParent(HWND child) {
    RECT rect = WindowRectOnScreen(child);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool IsShown(HWND window) {
    return window != nullptr && IsWindow(window) && (WindowStyle(window) & WS_VISIBLE) != 0;
}

bool IsEnabled(HWND window) {
    return window != nullptr && IsWindow(window) && IsWindowEnabled(window);
}

bool SameRect(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

std::string RectText(const RECT& rect) {
    return "(" + std::to_string(rect.left) + "," + std::to_string(rect.top) + ")-(" +
           std::to_string(rect.right) + "," + std::to_string(rect.bottom) + ")";
}

HWND Control(HWND dialog, int id) {
    return dialog ? GetDlgItem(dialog, id) : nullptr;
}
bool IsControlEnabled(HWND dialog, int id) {
    return IsEnabled(Control(dialog, id));
}
bool IsControlShown(HWND dialog, int id) {
    return IsShown(Control(dialog, id));
}
RECT ControlRect(HWND dialog, int id) {
    return RectInParent(Control(dialog, id));
}
std::string ControlText(HWND dialog, int id) {
    return WindowText(Control(dialog, id));
}
bool SetControlText(HWND dialog, int id, const std::string& text) {
    HWND control = Control(dialog, id);
    return control != nullptr && SetWindowTextTo(control, text);
}

namespace {

struct TopWindowSearch {
    DWORD pid;
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TopWindowSearch*>(param);
    if (WindowProcessId(window) != search->pid || !IsWindowVisible(window))
        return TRUE;
    if (search->className != nullptr && WindowClass(window) != search->className)
        return TRUE;
    search->found.push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> TopWindows(DWORD pid, const char* className) {
    TopWindowSearch search{pid, className, {}};
    EnumWindows(CollectTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> ChildWindows(HWND parent, const char* className) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (className == nullptr || WindowClass(child) == className)
            children.push_back(child);
    }
    return children;
}

HWND FindDescendant(HWND parent, const char* className, int id) {
    for (HWND child : ChildWindows(parent)) {
        if ((className == nullptr || WindowClass(child) == className) &&
            (id == -1 || GetDlgCtrlID(child) == id))
            return child;
        if (HWND deeper = FindDescendant(child, className, id))
            return deeper;
    }
    return nullptr;
}

std::vector<std::string> StaticTexts(HWND dialog) {
    std::vector<std::string> texts;
    for (HWND child : ChildWindows(dialog, "Static")) {
        std::string text = WindowText(child);
        if (!text.empty())
            texts.push_back(text);
    }
    return texts;
}

HWND FindTopWindow(DWORD pid, const char* className, const char* caption) {
    for (HWND window : TopWindows(pid, className)) {
        if (caption == nullptr || WindowText(window) == caption)
            return window;
    }
    return nullptr;
}

HWND WaitForTopWindow(DWORD pid, const char* className, const char* caption, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow(pid, className, caption)) != nullptr; },
              timeoutMs);
    return found;
}

HWND WaitForTopWindowWhere(DWORD pid, const std::function<bool(HWND)>& match, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopWindows(pid)) {
                if (match(window)) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs) {
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

namespace {

// Whether a user could click the button now.
bool IsClickable(HWND button) {
    return IsShown(button) && IsEnabled(button) && IsEnabled(GetAncestor(button, GA_ROOT));
}

} // namespace

bool Click(HWND button) {
    if (!IsClickable(button))
        return false;
    return PostMessageA(button, BM_CLICK, 0, 0) != FALSE;
}

bool ClickControl(HWND dialog, int id) {
    return Click(Control(dialog, id));
}

bool ClickControlAndWait(HWND dialog, int id, DWORD timeoutMs) {
    HWND button = Control(dialog, id);
    if (!IsClickable(button))
        return false;
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

bool PressDialogButton(HWND dialog, int id) {
    HWND button = Control(dialog, id);
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(button)) != FALSE;
}

bool RespondsWithin(HWND window, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

RemoteMemory PostDrop(HWND window, const std::vector<std::string>& paths) {
    std::string names;
    for (const std::string& path : paths)
        names += path + '\0';
    names += '\0';
    DROPFILES header{};
    header.pFiles = sizeof header; // the names follow the header
    RemoteMemory block(window, sizeof header + names.size());
    if (!block.Write(&header, sizeof header) ||
        !block.Write(names.data(), names.size(), sizeof header) ||
        !PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(block.Address()), 0))
        return RemoteMemory(window, 0);
    return block;
}

} // namespace vqtest
