#include "document/key_dialog.h"

#include <string>

#include "core/encrypted_format.h"
#include "platform/system_key_text.h"
#include "ui/notification.h"
#include "platform/win32_wide_text.h"

namespace {

constexpr wchar_t kProgramCaption[] = L"Veilquill";

// The key edit takes as many characters as the original format's key takes bytes.
constexpr int kMaxKeyCharacters = static_cast<int>(kMaxKeyLength);
// The key's characters and the terminator the edit writes after them.
constexpr int kKeyTextCapacity = kMaxKeyCharacters + 1;

// One run of the dialog: what it was given and what came of it. The dialog's DWLP_USER slot
// points here.
struct KeyDialogRun {
    HWND mainWindow;
    HINSTANCE instance;
    const KeyDialogSetup& setup;
    TypedKey& key;
    bool& strong;
    const KeyPreview& preview;
    KeyOutcome outcome = KeyOutcome::kNotCompleted;
};

KeyDialogRun* RunOf(HWND dialog) {
    return reinterpret_cast<KeyDialogRun*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void OnInitDialog(HWND dialog, LPARAM lParam) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    const KeyDialogRun* run = reinterpret_cast<const KeyDialogRun*>(lParam);
    HWND keyEdit = GetDlgItem(dialog, run->setup.keyId);
    SendMessageW(keyEdit, EM_SETLIMITTEXT, kMaxKeyCharacters, 0);
    if (run->setup.strongId != 0)
        CheckDlgButton(dialog, run->setup.strongId, run->strong ? BST_CHECKED : BST_UNCHECKED);
    SetFocus(keyEdit);
}

// Overwrites the typed key in the edit control before the dialog goes, so that no copy of
// it stays behind in the control's memory.
void WipeKeyEdit(HWND keyEdit, int length) {
    wchar_t cover[kKeyTextCapacity] = {};
    for (int i = 0; i < length && i < kMaxKeyCharacters; ++i)
        cover[i] = L'*';
    SetWindowTextW(keyEdit, cover);
    SetWindowTextW(keyEdit, L"");
}

// Makes the typed key's forms into `key` in place of the forms it had; the number of characters
// typed (0: no key).
int ReadKey(HWND keyEdit, TypedKey& key) {
    wchar_t typed[kKeyTextCapacity] = {};
    const int length = GetWindowTextW(keyEdit, typed, kKeyTextCapacity);
    std::string utf8 = Utf8FromWide(typed, static_cast<std::size_t>(length > 0 ? length : 0));
    SecretLine text;
    text.Assign(utf8.data(), utf8.size());
    if (!utf8.empty())
        WipeBytes(&utf8[0], utf8.size());
    WipeBytes(typed, sizeof typed);
    const KeyTextSystem& system = SystemKeyText();
    const bool taken = length > 0 && MakeTypedKey(text, system, system.OriginalCodePage(), key) ==
                                         KeyProblem::kNone;
    if (!taken)
        key.Clear();
    return taken ? length : 0;
}

// Why the encryption cannot take the key, in one sentence; empty when it can.
std::wstring RefusalText(KeyProblem problem, bool strong) {
    switch (problem) {
    case KeyProblem::kNone:
    case KeyProblem::kEmpty:
    case KeyProblem::kZeroByte:
        break;
    case KeyProblem::kNotInCodePage:
        return L"This key holds a character that the original format cannot store; the strong "
               L"format (\"Use strong encryption\") takes any text.";
    case KeyProblem::kTooLong:
        return strong ? L"This key is longer than the 255 bytes the strong format takes."
                      : L"This key is longer than the 63 bytes the original format takes in "
                        L"this system's code page; the strong format (\"Use strong "
                        L"encryption\") takes longer keys.";
    }
    return std::wstring();
}

// Tells over the dialog why the chosen format cannot take the key; false when it can.
bool RefusedByFormat(HWND dialog, const KeyDialogRun& run) {
    if (run.setup.strongId == 0 || run.key.empty())
        return false; // a decryption tries the key in the format the file is in
    const FormatKind format = run.strong ? FormatKind::kStrong : FormatKind::kOriginal;
    const std::wstring why = RefusalText(EncryptionKeyProblem(run.key, format), run.strong);
    if (why.empty())
        return false;
    MessageBoxW(dialog, why.c_str(), kProgramCaption, MB_OK | MB_ICONWARNING);
    return true;
}

void OnContinue(HWND dialog, KeyDialogRun& run) {
    HWND keyEdit = GetDlgItem(dialog, run.setup.keyId);
    const int length = ReadKey(keyEdit, run.key);
    if (run.setup.strongId != 0)
        run.strong = IsDlgButtonChecked(dialog, run.setup.strongId) == BST_CHECKED;
    if (RefusedByFormat(dialog, run)) {
        run.key.Clear(); // the dialog stays open with the key as typed
        SetFocus(keyEdit);
        return;
    }
    WipeKeyEdit(keyEdit, length);
    EndDialog(dialog, 0);
    if (length == 0) {
        ShowNotification(run.instance, Notice::Failure);
        return;
    }
    // Whatever the dialog covered is drawn again before the work starts.
    RedrawWindow(run.mainWindow, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (run.preview())
        run.outcome = KeyOutcome::kPreviewShown;
}

void OnClear(HWND dialog, const KeyDialogSetup& setup) {
    SetDlgItemTextW(dialog, setup.keyId, L"");
    SetFocus(GetDlgItem(dialog, setup.keyId));
}

void OnButton(HWND dialog, int id) {
    KeyDialogRun* run = RunOf(dialog);
    if (run == nullptr)
        return;
    if (id == run->setup.continueId)
        OnContinue(dialog, *run);
    else if (id == run->setup.clearId)
        OnClear(dialog, run->setup);
    else if (id == run->setup.cancelId)
        EndDialog(dialog, 0);
}

// Acts only on clicks of its own buttons: Enter and Escape reach it as IDOK and IDCANCEL
// without a control and are ignored, so only the three buttons close the dialog.
INT_PTR CALLBACK KeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog, lParam);
        return FALSE;
    case WM_COMMAND:
        if (lParam != 0 && HIWORD(wParam) == BN_CLICKED)
            OnButton(dialog, LOWORD(wParam));
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

KeyOutcome RunKeyDialog(HWND mainWindow, HINSTANCE instance, const KeyDialogSetup& setup,
                        TypedKey& key, bool& strong, const KeyPreview& preview) {
    KeyDialogRun run{mainWindow, instance, setup, key, strong, preview};
    const std::wstring templateName = WideFromUtf8(setup.templateName);
    DialogBoxParamW(instance, templateName.c_str(), mainWindow, KeyDialogProc,
                    reinterpret_cast<LPARAM>(&run));
    return run.outcome;
}
