// The key dialogs of "Encrypt" and "Decrypt": a key of 1 to 63 characters and the buttons
// "Continue", "Clear" and "Cancel", the only ways out (Enter and Escape do nothing).
#ifndef VEILQUILL_KEY_DIALOG_H
#define VEILQUILL_KEY_DIALOG_H

#include <windows.h>

// Runs after "Continue" with a key, once the dialog has been ended.
using KeyPreview = void (*)();

struct KeyDialogSetup {
    const char* templateName;
    int keyId;
    int continueId;
    int clearId;
    int cancelId;
    KeyPreview preview;
};

// Sets KeyDialogAborted to 0 and runs the dialog modally, owned by the main window.
// "Continue" reads the key into CipherKey and runs the preview; an empty key shows the
// failure notification; "Cancel" ends the dialog. Every way of not completing sets
// KeyDialogAborted to 1, including a dialog that could not be shown.
void RunKeyDialog(HWND mainWindow, const KeyDialogSetup& setup);

#endif
