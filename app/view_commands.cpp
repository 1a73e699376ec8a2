#include "app/view_commands.h"

#include <commctrl.h>

#include "app/app_state.h"
#include "document/load_document.h"
#include "document/save_commands.h"
#include "resources/resource_ids.h"
#include "ui/control_states.h"
#include "ui/status_bar.h"

void WipeCipherKey() {
    AppState& app = App();
    SecureZeroMemory(app.cipherKey, sizeof app.cipherKey);
    app.cipherKeyLength = 0;
}

void OpenFileCommand(HWND mainWindow) {
    AppState& app = App();
    ShowWindow(app.resultsList, SW_HIDE);
    ShowWindow(app.documentView, SW_SHOWNORMAL);
    UpdateWindow(app.documentView);
    SetDlgItemTextA(mainWindow, IDC_DOCUMENT_VIEW, "");
    ClearAllPanes();
    LoadDocument(mainWindow);
}

void ClearCommand(HWND mainWindow) {
    AppState& app = App();
    SetDlgItemTextA(mainWindow, IDC_DOCUMENT_VIEW, "");
    SendMessageA(app.resultsList, LVM_DELETEALLITEMS, 0, 0);
    ApplyButtonEvent(mainWindow, ButtonEvent::Clear);
    ClearAllPanes();
    WipeCipherKey();
}

void ExitCommand(HWND mainWindow) { DestroyWindow(mainWindow); }

void SaveAsCommand(HWND mainWindow) {
    switch (App().documentMode) {
    case kModeEncryptPreview:
        SaveEncrypted(mainWindow);
        break;
    case kModeDecryptPreview:
        SaveDecrypted(mainWindow);
        break;
    default:
        break;
    }
}
