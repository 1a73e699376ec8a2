// The key dialogs of "Encrypt" and "Decrypt": a key of 1 to 63 characters and the buttons
// "Continue", "Clear" and "Cancel", the only ways out (Enter and Escape do nothing).
#ifndef VEILQUILL_KEY_DIALOG_H
#define VEILQUILL_KEY_DIALOG_H

#include <windows.h>

#include <functional>

#include "core/typed_key.h"

// Runs after "Continue" with a key, once the dialog has been ended; true when the preview it
// shows is complete and may be saved.
using KeyPreview = std::function<bool()>;

struct KeyDialogSetup {
    const char* templateName;
    int keyId;
    int continueId;
    int clearId;
    int cancelId;
    int strongId; // the "Use strong encryption" box, 0 for a dialog without one
};

enum class KeyOutcome {
    kPreviewShown, // a key was given and its preview is complete
    kNotCompleted, // cancelled, no key, no dialog, or a preview that failed
};

// Runs the dialog from the templates of `instance` modally, owned by the main window.
// "Continue" makes the typed text's forms into `key` (and reads the box's state into `strong`,
// which also gives its state when the dialog opens), wipes it from the dialog and runs
// `preview`; an empty key shows the failure notice instead. In a dialog with the box, a key
// the chosen format cannot take is told in a message box over the dialog, which stays open
// with the key as typed. "Cancel" ends the dialog.
KeyOutcome RunKeyDialog(HWND mainWindow, HINSTANCE instance, const KeyDialogSetup& setup,
                        TypedKey& key, bool& strong, const KeyPreview& preview);

#endif
