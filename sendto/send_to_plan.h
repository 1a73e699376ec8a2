// What SendTo.exe is asked to do, and what that means for the Send To shortcut and the mark
// that says the shortcut was made once for this user. Portable: no Windows headers.
#ifndef VEILQUILL_SEND_TO_PLAN_H
#define VEILQUILL_SEND_TO_PLAN_H

// The requests, by their word on the command line.
enum class SendToRequest {
    None,    // no word, or one this program does not know: do nothing
    Startup, // "qj": Veilquill's start; make the shortcut once, repair a broken one
    Add,     // "add": the installer's Send To option is ticked
    Decline, // "decline": the installer's Send To option is cleared
    Remove,  // "remove": the uninstaller takes the shortcut back
};

// Veilquill starts its companion with the bare word "qj" as the whole command line; a shell or
// an installer gives the program's path first. Either form is understood.
SendToRequest ParseSendToRequest(const char* commandLine);

// Veilquill.lnk in the user's Send To folder, as found.
enum class ShortcutFound {
    Missing,
    Unreadable,       // a file of that name that is not a shortcut this program can read
    ToThisProgram,    // points at the Veilquill.exe beside this SendTo.exe
    ToAnotherProgram, // points at another program that exists (another copy of Veilquill)
    ToMissingProgram, // points at a program that no longer exists
};

enum class ShortcutStep { Keep, Make, PointHere, Delete };
enum class MarkStep { Keep, Set, Clear };

struct SendToPlan {
    ShortcutStep shortcut = ShortcutStep::Keep;
    MarkStep mark = MarkStep::Keep; // carried out only when the shortcut's step succeeded
};

// The mark means: the shortcut was made for this user once, so its absence is the user's
// choice. A deleted shortcut is not made again at start-up; only the installer's ticked option
// makes it again, and the uninstaller clears the mark when it takes its own shortcut back.
SendToPlan PlanSendTo(SendToRequest request, ShortcutFound found, bool markSet);

#endif
