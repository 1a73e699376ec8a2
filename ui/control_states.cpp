#include "ui/control_states.h"

#include "resources/resource_ids.h"

namespace {

enum Change : signed char { Keep = -1, Off = 0, On = 1 };

// One row per event: Save As, Clear, Open File, Encrypt, Decrypt, Find Encrypted.
struct ButtonRow {
    ButtonEvent event;
    Change saveAs, clear, openFile, encrypt, decrypt, find;
    Change findShown; // On: "Find Encrypted" shown, Off: "Stop Find" shown
};

constexpr ButtonRow kRows[] = {
    {ButtonEvent::Startup, Off, Off, On, Off, Off, Keep, On},
    {ButtonEvent::LoadFileChosen, Keep, Keep, Off, Off, Off, Keep, Keep},
    {ButtonEvent::LoadEndedWithout, Keep, Off, On, Off, Off, Keep, Keep},
    {ButtonEvent::LoadSucceededPlain, Off, On, Keep, On, Off, Keep, Keep},
    {ButtonEvent::LoadSucceededEncrypted, Off, On, Keep, Off, On, Keep, Keep},
    {ButtonEvent::EncryptCompleted, On, Keep, Keep, Off, Keep, Keep, Keep},
    {ButtonEvent::DecryptVerified, On, Keep, Keep, Keep, Off, Keep, Keep},
    {ButtonEvent::DecryptNotCompleted, Off, Keep, Keep, Off, Keep, Keep, Keep},
    {ButtonEvent::EncryptedSave, Off, Keep, On, Off, On, Keep, Keep},
    {ButtonEvent::EncryptedSaveFailed, Off, Keep, Keep, On, Off, Keep, Keep},
    {ButtonEvent::DecryptedSave, Off, Keep, On, On, Off, Keep, Keep},
    {ButtonEvent::Clear, Off, Off, On, Off, Off, On, On},
    {ButtonEvent::BrowseCancelled, Off, Off, On, Off, Off, Keep, Keep},
    {ButtonEvent::ScanStarted, Off, On, Keep, Off, Off, Keep, Off},
    {ButtonEvent::ScanEnded, Keep, Keep, Keep, Keep, Keep, Keep, On},
};

void ApplyChange(HWND mainWindow, int id, Change change) {
    if (change != Keep)
        EnableButton(mainWindow, id, change == On);
}

} // namespace

void EnableButton(HWND mainWindow, int id, bool enabled) {
    EnableWindow(GetDlgItem(mainWindow, id), enabled ? TRUE : FALSE);
}

void ShowFindButton(HWND mainWindow, bool findShown) {
    ShowWindow(GetDlgItem(mainWindow, IDC_BTN_STOP_FIND), findShown ? SW_HIDE : SW_SHOW);
    ShowWindow(GetDlgItem(mainWindow, IDC_BTN_FIND_ENCRYPTED), findShown ? SW_SHOW : SW_HIDE);
}

void ApplyButtonEvent(HWND mainWindow, ButtonEvent event) {
    for (const ButtonRow& row : kRows) {
        if (row.event != event)
            continue;
        ApplyChange(mainWindow, IDC_BTN_SAVE_AS, row.saveAs);
        ApplyChange(mainWindow, IDC_BTN_CLEAR, row.clear);
        ApplyChange(mainWindow, IDC_BTN_OPEN_FILE, row.openFile);
        ApplyChange(mainWindow, IDC_BTN_ENCRYPT, row.encrypt);
        ApplyChange(mainWindow, IDC_BTN_DECRYPT, row.decrypt);
        ApplyChange(mainWindow, IDC_BTN_FIND_ENCRYPTED, row.find);
        if (row.findShown != Keep)
            ShowFindButton(mainWindow, row.findShown == On);
        return;
    }
}
