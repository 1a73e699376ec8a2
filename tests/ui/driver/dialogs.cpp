// System dialogs (Open, Save As, message boxes), Veilquill's own dialogs and pop-up menus.
#include "driver/ui_driver.h"

#include <utility>

namespace vqtest {

namespace {

// The file name field of the Open and Save As dialogs: the Edit inside the ComboBoxEx32 with
// id 0x47c in the Explorer-style dialog, or the plain Edit 0x480 of the old style.
constexpr int kFileNameComboId = 0x47c;
constexpr int kFileNameEditId = 0x480;

std::string Joined(const std::vector<std::string>& texts) {
    std::string joined;
    for (const std::string& text : texts) {
        if (!joined.empty())
            joined += "\n";
        joined += text;
    }
    return joined;
}

} // namespace

HWND WaitForFileDialog(DWORD pid, const char* caption, DWORD timeoutMs) {
    return WaitForTopWindow(pid, "#32770", caption, timeoutMs);
}

bool ChooseFileInDialog(HWND fileDialog, const std::string& path) {
    return TypeInFileDialog(fileDialog, path) && PressDialogButton(fileDialog, IDOK);
}

bool TypeInFileDialog(HWND fileDialog, const std::string& path) {
    HWND combo = FindDescendant(fileDialog, "ComboBoxEx32", kFileNameComboId);
    HWND edit =
        combo ? FindDescendant(combo, "Edit") : FindDescendant(fileDialog, "Edit", kFileNameEditId);
    if (edit == nullptr || !SetWindowTextTo(edit, path))
        return false;
    if (combo != nullptr)
        SetWindowTextTo(combo, path);
    return true;
}

bool CancelDialog(HWND dialog) {
    return PressDialogButton(dialog, IDCANCEL);
}

HWND WaitForMessageBox(DWORD pid, const char* caption, const std::string& textPart,
                       DWORD timeoutMs) {
    return WaitForTopWindowWhere(
        pid,
        [&](HWND window) {
            if (WindowClass(window) != "#32770")
                return false;
            if (caption != nullptr && WindowText(window) != caption)
                return false;
            return MessageBoxText(window).find(textPart) != std::string::npos;
        },
        timeoutMs);
}

std::string MessageBoxText(HWND box) {
    return Joined(StaticTexts(box));
}

bool AnswerMessageBox(HWND box, int id) {
    return Control(box, id) != nullptr && PressDialogButton(box, id);
}

// The two key dialogs differ only in their ids: 109/107/111/112 for encryption,
// 110/108/113/114 for decryption; only the encryption key dialog has the strong format's box.
namespace {

constexpr int kStrongBoxId = 115;

struct KeyIds {
    int edit, continueButton, clearButton, cancelButton;
};

constexpr KeyIds kEncryptIds{107, 109, 111, 112};
constexpr KeyIds kDecryptIds{108, 110, 113, 114};

KeyIds IdsOf(HWND keyDialog) {
    return Control(keyDialog, kEncryptIds.edit) != nullptr ? kEncryptIds : kDecryptIds;
}

} // namespace

HWND WaitForKeyDialog(DWORD pid, KeyKind kind, DWORD timeoutMs) {
    return WaitForTopWindow(
        pid, "#32770", kind == KeyKind::Encrypt ? "Encryption Key" : "Decryption Key", timeoutMs);
}

bool TypeKey(HWND keyDialog, const std::string& key) {
    return SetControlText(keyDialog, IdsOf(keyDialog).edit, key);
}

bool TypeKeyCharacters(HWND keyDialog, const std::string& key) {
    HWND edit = Control(keyDialog, IdsOf(keyDialog).edit);
    if (edit == nullptr || key.empty())
        return false;
    const int units =
        MultiByteToWideChar(CP_UTF8, 0, key.data(), static_cast<int>(key.size()), nullptr, 0);
    std::wstring typed(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, key.data(), static_cast<int>(key.size()), &typed[0], units);
    for (wchar_t unit : typed)
        if (!PostMessageW(edit, WM_CHAR, unit, 0))
            return false;
    // GetWindowTextLengthW of another process's edit gives 0 under Wine: its text is read.
    return WaitUntil([&] { return KeyFieldUnicodeText(keyDialog) == key; });
}

std::string KeyFieldUnicodeText(HWND keyDialog) {
    HWND edit = Control(keyDialog, IdsOf(keyDialog).edit);
    wchar_t text[256] = {};
    DWORD_PTR length = 0;
    if (edit == nullptr ||
        SendMessageTimeoutW(edit, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                            kWaitMs, &length) == 0)
        return "<unreadable>";
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                         nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), &utf8[0], size, nullptr,
                        nullptr);
    return utf8;
}

std::string KeyFieldText(HWND keyDialog) {
    return ControlText(keyDialog, IdsOf(keyDialog).edit);
}
bool TickStrongEncryption(HWND keyDialog) {
    HWND box = Control(keyDialog, kStrongBoxId);
    DWORD_PTR state = BST_UNCHECKED;
    return box != nullptr && ClickControlAndWait(keyDialog, kStrongBoxId) &&
           SendMessageTimeoutA(box, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kWaitMs, &state) != 0 &&
           state == BST_CHECKED;
}

bool PressKeyContinue(HWND keyDialog) {
    return ClickControl(keyDialog, IdsOf(keyDialog).continueButton);
}
bool PressKeyClear(HWND keyDialog) {
    return ClickControl(keyDialog, IdsOf(keyDialog).clearButton);
}
bool PressKeyCancel(HWND keyDialog) {
    return ClickControl(keyDialog, IdsOf(keyDialog).cancelButton);
}

bool IsNotification(HWND window) {
    return WindowClass(window) == "#32770" && WindowText(window).empty() &&
           GetWindow(window, GW_OWNER) == nullptr && IsWindowVisible(window);
}

std::string NoticeText(HWND notice) {
    std::vector<std::string> texts;
    for (HWND child : ChildWindows(notice, "Static")) {
        const LONG_PTR type = WindowStyle(child) & SS_TYPEMASK;
        if (type == SS_BITMAP || type == SS_ICON)
            continue;
        std::string text = WindowText(child);
        if (!text.empty())
            texts.push_back(std::move(text));
    }
    return Joined(texts);
}

std::string Notification::JoinedText() const {
    return Joined(texts);
}

long long Notification::ShownMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(disappeared - appeared).count();
}

std::optional<Notification> WaitForNotification(DWORD pid, DWORD timeoutMs) {
    HWND window = WaitForTopWindowWhere(pid, IsNotification, timeoutMs);
    if (window == nullptr)
        return std::nullopt;
    Notification notification;
    notification.appeared = Clock::now();
    notification.window = window;
    notification.texts = StaticTexts(window);
    return notification;
}

bool WaitForNotificationGone(Notification& notification, DWORD timeoutMs) {
    if (!WaitForWindowGone(notification.window, timeoutMs))
        return false;
    notification.disappeared = Clock::now();
    return true;
}

HWND WaitForAboutBox(DWORD pid, DWORD timeoutMs) {
    return WaitForTopWindowWhere(
        pid,
        [](HWND window) {
            return WindowClass(window) == "#32770" &&
                   WindowText(window).rfind("About Veilquill", 0) == 0;
        },
        timeoutMs);
}

bool PostContextMenu(HWND window, HWND from, POINT screen) {
    return PostMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(from ? from : window),
                        MAKELPARAM(screen.x, screen.y)) != FALSE;
}

HWND WaitForPopupMenu(DWORD pid, DWORD timeoutMs) {
    return WaitForTopWindow(pid, "#32768", nullptr, timeoutMs);
}

bool IsPopupMenuOpen(DWORD pid) {
    return FindTopWindow(pid, "#32768", nullptr) != nullptr;
}

bool ChoosePopupMenuItem(HWND menuWindow, int index) {
    for (int i = 0; i <= index; ++i) {
        if (!PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0))
            return false;
    }
    return PostMessageA(menuWindow, WM_KEYDOWN, VK_RETURN, 0) != FALSE;
}

bool DismissPopupMenu(HWND menuWindow) {
    return PostMessageA(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0) != FALSE;
}

} // namespace vqtest
