#include "document/key_dialog.h"

#include <cstring>

#include "ui/notification.h"

namespace {

// The key edit takes no more than a key may hold.
constexpr int kMaxKeyCharacters = static_cast<int>(kMaxKeyLength);
// The key's characters and the terminator the edit writes after them.
constexpr int kKeyTextCapacity = kMaxKeyCharacters + 1;

// One run of the dialog: what it was given and what came of it. The dialog's DWLP_USER slot
// points here.
struct KeyDialogRun {
    HWND mainWindow;
    HINSTANCE instance;
    const KeyDialogSetup& setup;
    SecretKey& key;
    bool& strong;
    const KeyPreview& preview;
    KeyOutcome outcome = KeyOutcome::kNotCompleted;
};

KeyDialogRun* RunOf(HWND dialog) {
    return reinterpret_cast<KeyDialogRun*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void OnInitDialog(HWND dialog, LPARAM lParam) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    const KeyDialogRun* run = reinterpret_cast<const KeyDialogRun*>(lParam);
    HWND keyEdit = GetDlgItem(dialog, run->setup.keyId);
    SendMessageA(keyEdit, EM_SETLIMITTEXT, kMaxKeyCharacters, 0);
    if (run->setup.strongId != 0)
        CheckDlgButton(dialog, run->setup.strongId, run->strong ? BST_CHECKED : BST_UNCHECKED);
    SetFocus(keyEdit);
}

// Overwrites the typed key in the edit control before the dialog goes, so that no copy of
// it stays behind in the control's memory.
void WipeKeyEdit(HWND keyEdit, int length) {
    char cover[kKeyTextCapacity] = {};
    std::memset(cover, '*', static_cast<std::size_t>(length));
    SetWindowTextA(keyEdit, cover);
    SetWindowTextA(keyEdit, "");
}

// Takes the typed key into `key` in place of the one held; its length (0: no key).
int ReadKey(HWND keyEdit, SecretKey& key) {
    char text[kKeyTextCapacity] = {};
    const int length = GetWindowTextA(keyEdit, text, sizeof text);
    const bool taken =
        length > 0 && key.Assign(reinterpret_cast<const unsigned char*>(text),
                                 static_cast<std::size_t>(length)) == KeyProblem::kNone;
    WipeBytes(text, sizeof text);
    if (!taken)
        key.Clear();
    return taken ? length : 0;
}

void OnContinue(HWND dialog, KeyDialogRun& run) {
    HWND keyEdit = GetDlgItem(dialog, run.setup.keyId);
    const int length = ReadKey(keyEdit, run.key);
    if (run.setup.strongId != 0)
        run.strong = IsDlgButtonChecked(dialog, run.setup.strongId) == BST_CHECKED;
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
    SetDlgItemTextA(dialog, setup.keyId, "");
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
                        SecretKey& key, bool& strong, const KeyPreview& preview) {
    KeyDialogRun run{mainWindow, instance, setup, key, strong, preview};
    DialogBoxParamA(instance, setup.templateName, mainWindow, KeyDialogProc,
                    reinterpret_cast<LPARAM>(&run));
    return run.outcome;
}
