// The driver's readings and actions in UTF-16, for names and texts outside the code page.
#include "driver/ui_driver.h"

#include <shlobj.h>

#include <algorithm>

#include "platform/win32_wide_text.h"

namespace vqtest {

namespace {

// The longest path the system hands out, in UTF-16 units with the terminator.
constexpr std::size_t kLongestText = 32768;

// The file name field of the Explorer-style Open and Save As dialogs lies in this combo box.
constexpr int kFileNameComboId = 0x47c;

LRESULT AskWide(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kWaitMs, &result))
        return 0;
    return static_cast<LRESULT>(result);
}

// A UTF-16 text of at most `units` units read from the program's memory, up to its zero.
std::string ReadWideText(const RemoteMemory& block, std::size_t offset, std::size_t units) {
    std::wstring text(units, L'\0');
    if (!block.Read(&text[0], units * sizeof(wchar_t), offset))
        return std::string();
    return Utf8FromWide(text.c_str());
}

} // namespace

std::string PaneTextWide(HWND statusBar, int pane) {
    const std::size_t units = LOWORD(AskWide(statusBar, SB_GETTEXTLENGTHW, pane)) + 1024;
    RemoteMemory text(statusBar, units * sizeof(wchar_t));
    if (!text.Valid())
        return std::string();
    AskWide(statusBar, SB_GETTEXTW, pane, text.Param());
    return ReadWideText(text, 0, units);
}

bool WaitForPaneTextWide(HWND statusBar, int pane, const std::string& text, DWORD timeoutMs) {
    return WaitUntil([&] { return PaneTextWide(statusBar, pane) == text; }, timeoutMs);
}

std::string ListItemTextWide(HWND list, int row) {
    RemoteMemory block(list, sizeof(LVITEMW) + kLongestText * sizeof(wchar_t));
    if (!block.Valid())
        return std::string();
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = static_cast<wchar_t*>(block.Address(sizeof item));
    item.cchTextMax = static_cast<int>(kLongestText);
    if (!block.Write(&item, sizeof item))
        return std::string();
    AskWide(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), block.Param());
    return ReadWideText(block, sizeof item, kLongestText);
}

std::vector<std::string> ListColumnTextsWide(HWND list) {
    std::vector<std::string> texts;
    const int rows = static_cast<int>(AskWide(list, LVM_GETITEMCOUNT));
    for (int row = 0; row < rows; ++row)
        texts.push_back(ListItemTextWide(list, row));
    return texts;
}

std::string WindowTextWide(HWND window) {
    const auto length = static_cast<std::size_t>(AskWide(window, WM_GETTEXTLENGTH));
    std::wstring text(length + 1, L'\0');
    AskWide(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    return Utf8FromWide(text.c_str());
}

bool SetWindowTextWide(HWND window, const std::string& text) {
    const std::wstring wide = WideFromUtf8(text);
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()),
                               SMTO_NORMAL, kWaitMs, &result) != 0 &&
           result != FALSE;
}

bool ChooseFileInDialogWide(HWND fileDialog, const std::string& path) {
    HWND combo = FindDescendant(fileDialog, "ComboBoxEx32", kFileNameComboId);
    HWND edit = combo ? FindDescendant(combo, "Edit") : nullptr;
    if (edit == nullptr || !SetWindowTextWide(edit, path))
        return false;
    SetWindowTextWide(combo, path);
    return PressDialogButton(fileDialog, IDOK);
}

RemoteMemory PostWideDrop(HWND window, const std::vector<std::string>& paths) {
    std::wstring names;
    for (const std::string& path : paths)
        names += WideFromUtf8(path) + L'\0';
    names += L'\0';
    DROPFILES header{};
    header.pFiles = sizeof header; // the names follow the header
    header.fWide = TRUE;
    const std::size_t bytes = names.size() * sizeof(wchar_t);
    RemoteMemory block(window, sizeof header + bytes);
    if (!block.Write(&header, sizeof header) || !block.Write(names.data(), bytes, sizeof header) ||
        !PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(block.Address()), 0))
        return RemoteMemory(window, 0);
    return block;
}

} // namespace vqtest
