// The enabled and visible states of the main window's buttons, event by event.
// A command is possible exactly when its button is enabled.
#ifndef VEILQUILL_CONTROL_STATES_H
#define VEILQUILL_CONTROL_STATES_H

#include <windows.h>

enum class ButtonEvent {
    Startup,            // first state after the window is created
    LoadFileChosen,     // a file was chosen and is about to be read
    LoadEndedWithout,   // the load was cancelled, failed to open, or met an empty file
    LoadSucceededPlain, // a plain file was shown
    LoadSucceededEncrypted,
    EncryptCompleted,
    DecryptVerified,
    DecryptNotCompleted,
    EncryptedSave,
    EncryptedSaveFailed, // its preview can never be saved: only a new one can
    DecryptedSave,
    Clear,
    BrowseCancelled,
    ScanStarted,
    ScanEnded, // finished or stopped: "Find Encrypted" is shown again
};

// Applies the button changes of one event; buttons the event does not name keep their state.
void ApplyButtonEvent(HWND mainWindow, ButtonEvent event);

// Enables or disables one button.
void EnableButton(HWND mainWindow, int id, bool enabled);

// Shows "Find Encrypted" and hides "Stop Find", or the other way round.
void ShowFindButton(HWND mainWindow, bool findShown);

#endif
