// "Save As": commits an encrypt or decrypt preview to disk.
#include <string>

#include "core/file_jobs.h"
#include "document/document_commands.h"
#include "document/document.h"
#include "document/document_status.h"
#include "platform/platform.h"
#include "ui/control_states.h"
#include "ui/notification.h"
#include "ui/status_bar.h"
#include "util/path_text.h"
#include "platform/win32_wide_text.h"

namespace {

constexpr char kOverwriteCaption[] = "Confirm Save As";
constexpr char kOverwriteQuestion[] = " already exists.\nDo you want to replace it?";

enum class SaveKind { kEncrypted, kDecrypted };

// The dialog path names the loaded file again, so the next dialog starts on it.
void RestoreDialogPath(Document& document) {
    CopyWholeText(document.dialog.path, sizeof document.dialog.path, document.path);
}

// Saving over a file other than the loaded one destroys it: the user is asked first.
bool MayReplace(HWND mainWindow, const std::string& target) {
    const std::wstring question = WideFromUtf8(target + kOverwriteQuestion);
    return MessageBoxW(mainWindow, question.c_str(), WideFromUtf8(kOverwriteCaption).c_str(),
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

// The save's file work, on the work's thread.
JobResult SaveTo(const Document& document, SaveKind kind, const Destination& destination,
                 JobProgress& progress) {
    const std::unique_ptr<RecordFolder> folder = WindowRecordFolder();
    if (kind == SaveKind::kDecrypted) {
        std::unique_ptr<RecordStore> store;
        if (folder)
            store = std::make_unique<RecordStore>(*folder);
        if (!document.decryption)
            return Ended(JobOutcome::kNoKey);
        return Decrypt(SystemFiles(), document.path, destination, *document.decryption,
                       document.preview, store.get(), &progress);
    }
    if (!folder || !document.encryption)
        return Ended(JobOutcome::kStoreFailed);
    RecordStore store(*folder);
    return Encrypt(SystemFiles(), document.path, destination, *document.encryption,
                   &document.preview, store, &progress);
}

void ReportSaveFailure(const WindowParts& window, const JobResult& result) {
    if (const std::optional<Notice> notice = NoticeFor(DocumentStep::kSave, result))
        ShowNotification(window.instance, *notice);
}

// The saved file is the current file from now on. The status bar keeps the preview's texts
// when that is the loaded file; a file saved under another name is named there instead.
void CompleteSave(const WindowParts& window, Document& document, SaveKind kind,
                  const Destination& destination, std::uint64_t written) {
    document.size = written;
    ApplyButtonEvent(window.window, kind == SaveKind::kEncrypted ? ButtonEvent::EncryptedSave
                                                                 : ButtonEvent::DecryptedSave);
    if (destination.into != SaveTarget::kSource) {
        CopyWholeText(document.path, sizeof document.path, destination.path.c_str());
        BuildFileNameText(document);
        BuildFileSizeText(document);
        ShowFileNameAndSize(window, document);
    }
    RestoreDialogPath(document);
    document.ForgetKey(); // the preview is saved; the key is no longer needed
}

// An encrypted save that failed may have written cipher text: into a temporary file, or beside
// the file when it could not be finished. What its preview derived has sealed that text and
// must never seal another (in the strong format a second text under the same key and nonces
// gives both away), so it is wiped whatever the failure. "Save As" goes off and "Encrypt" on:
// only a new preview, with a fresh salt and nonce, can be saved. No encrypted file took the
// file's place, and the status bar says so again.
void AbandonEncryptedSave(const WindowParts& window, Document& document) {
    document.ForgetKey();
    ApplyButtonEvent(window.window, ButtonEvent::EncryptedSaveFailed);
    ShowEncryptedState(window, false);
}

// A large save shows its direction's progress text in pane 0, and afterwards pane 0 is as the
// preview left it.
WorkDisplay SaveDisplay(const Document& document, SaveKind kind) {
    const char* text = kind == SaveKind::kEncrypted ? kProgressEncrypting : kProgressDecrypting;
    return WorkDisplay{NeedsProgressText(document.preview.size) ? text : nullptr,
                       document.preview.size};
}

void RunSave(const WindowParts& window, BackgroundWork& work, Document& document, SaveKind kind) {
    const PathAnswer answer = AskForPath(window.window, PathQuestion::kSaveAs, document.dialog);
    if (answer != PathAnswer::kChosen) {
        RestoreDialogPath(document);
        if (answer == PathAnswer::kTooLong)
            ShowNotification(window.instance, Notice::OpenError);
        return;
    }
    const std::string target = document.dialog.path;
    RestoreDialogPath(document);
    const Destination destination = DestinationOf(SystemFiles(), document.path, target);
    if (destination.into == SaveTarget::kOtherFile && !MayReplace(window.window, target))
        return;

    const JobResult result = work.Run(
        SaveDisplay(document, kind),
        [&](JobProgress& progress) { return SaveTo(document, kind, destination, progress); },
        FailedAt(FileFailure::kWriteFailed, true));
    if (result.done()) {
        CompleteSave(window, document, kind, destination, result.written);
        return;
    }
    if (kind == SaveKind::kEncrypted)
        AbandonEncryptedSave(window, document);
    if (!work.Closing())
        ReportSaveFailure(window, result);
}

} // namespace

void SaveAsCommand(const WindowParts& window, BackgroundWork& work, Document& document) {
    switch (document.mode) {
    case DocumentMode::kEncryptPreview:
        RunSave(window, work, document, SaveKind::kEncrypted);
        break;
    case DocumentMode::kDecryptPreview:
        RunSave(window, work, document, SaveKind::kDecrypted);
        break;
    case DocumentMode::kLoaded:
        break;
    }
}
