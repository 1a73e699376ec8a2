// Self-closing notices: a picture and a fixed text, no title bar and no buttons.
// Success notices stay for 2 seconds, failure notices for 3.
#ifndef VEILQUILL_NOTIFICATION_H
#define VEILQUILL_NOTIFICATION_H

#include <windows.h>

enum class Notice {
    SuccessEncrypted, // "File successfully encrypted." / "Remember to save."
    SuccessDecrypted, // "File successfully decrypted." / "Remember to save."
    Failure,          // "Unable to encrypt/decrypt file." / "Do not save this file!"
    OpenError,        // "Open error!  File in use or file not found."
};

// Shows the notice, from the dialog templates of `instance`, with no owner and returns when it
// has closed itself.
void ShowNotification(HINSTANCE instance, Notice notice);

#endif
