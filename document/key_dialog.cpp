#include "document/key_dialog.h"

#include <cstring>

#include "app/app_state.h"
#include "ui/notification.h"

namespace {

// The key edit takes no more than the key buffer holds without its terminator.
constexpr int kMaxKeyCharacters = kCipherKeyBufferSize - 1;

const KeyDialogSetup* SetupOf(HWND dialog) {
    return reinterpret_cast<const KeyDialogSetup*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void OnInitDialog(HWND dialog, LPARAM lParam) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    const KeyDialogSetup* setup = reinterpret_cast<const KeyDialogSetup*>(lParam);
    HWND keyEdit = GetDlgItem(dialog, setup->keyId);
    SendMessageA(keyEdit, EM_SETLIMITTEXT, kMaxKeyCharacters, 0);
    SetFocus(keyEdit);
}

// Overwrites the typed key in the edit control before the dialog goes, so that no copy of
// it stays behind in the control's memory.
void WipeKeyEdit(HWND keyEdit, int length) {
    char cover[kCipherKeyBufferSize] = {};
    std::memset(cover, '*', static_cast<std::size_t>(length));
    SetWindowTextA(keyEdit, cover);
    SetWindowTextA(keyEdit, "");
}

void OnContinue(HWND dialog, const KeyDialogSetup& setup) {
    AppState& app = App();
    HWND keyEdit = GetDlgItem(dialog, setup.keyId);
    SecureZeroMemory(app.cipherKey, sizeof app.cipherKey);
    app.cipherKeyLength = GetWindowTextA(keyEdit, app.cipherKey, sizeof app.cipherKey);
    WipeKeyEdit(keyEdit, app.cipherKeyLength);
    EndDialog(dialog, 0);
    if (app.cipherKeyLength <= 0) {
        app.cipherKeyLength = 0;
        app.keyDialogAborted = 1;
        ShowNotification(Notice::Failure);
        return;
    }
    // Whatever the dialog covered is drawn again before the work starts.
    RedrawWindow(app.mainWindow, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    setup.preview();
}

void OnClear(HWND dialog, const KeyDialogSetup& setup) {
    SetDlgItemTextA(dialog, setup.keyId, "");
    SetFocus(GetDlgItem(dialog, setup.keyId));
}

void OnCancel(HWND dialog) {
    App().keyDialogAborted = 1;
    EndDialog(dialog, 0);
}

void OnButton(HWND dialog, int id) {
    const KeyDialogSetup* setup = SetupOf(dialog);
    if (setup == nullptr)
        return;
    if (id == setup->continueId)
        OnContinue(dialog, *setup);
    else if (id == setup->clearId)
        OnClear(dialog, *setup);
    else if (id == setup->cancelId)
        OnCancel(dialog);
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

void RunKeyDialog(HWND mainWindow, const KeyDialogSetup& setup) {
    AppState& app = App();
    app.keyDialogAborted = 0;
    const INT_PTR result = DialogBoxParamA(app.instance, setup.templateName, mainWindow,
                                           KeyDialogProc, reinterpret_cast<LPARAM>(&setup));
    if (result == -1)
        app.keyDialogAborted = 1;
}
