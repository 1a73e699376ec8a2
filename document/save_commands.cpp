// "Save As": commits an encrypt or decrypt preview to disk.
#include "cipher/encrypted_trailer.h"
#include "document/document_commands.h"
#include "document/document_status.h"
#include "document/file_saves.h"
#include "store/checksum_store.h"
#include "ui/control_states.h"
#include "ui/notification.h"
#include "ui/status_texts.h"
#include "util/path_text.h"

namespace {

constexpr char kOverwriteCaption[] = "Confirm Save As";
constexpr char kOverwriteQuestion[] = " already exists.\nDo you want to replace it?";

enum class SaveKind { kEncrypted, kDecrypted };

// The dialog path names the loaded file again, so the next dialog starts on it.
void RestoreDialogPath(Document& document) {
    CopyWholeText(document.dialog.path, sizeof document.dialog.path, document.path);
}

// Saving over a file other than the loaded one destroys it: the user is asked first.
bool MayReplace(HWND mainWindow, const char* target) {
    char question[MAX_PATH + sizeof kOverwriteQuestion] = {};
    if (!CopyWholeText(question, sizeof question, target) ||
        !AppendWholeText(question, sizeof question, kOverwriteQuestion))
        return false;
    return MessageBoxA(mainWindow, question, kOverwriteCaption,
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

FileStatus SaveToTarget(const Document& document, SaveKind kind, const char* target, bool sameFile,
                        JobProgress* progress) {
    SaveRequest request;
    request.sourcePath = document.path;
    request.targetPath = target;
    request.key = document.key.Bytes();
    request.keyLength = document.key.Length();
    request.preview = document.preview;
    if (kind == SaveKind::kDecrypted)
        return SaveDecryptedFile(request, document.recordPath, sameFile, progress).status;

    char storeFolder[MAX_PATH] = {};
    if (!ChecksumStoreFolder(storeFolder, sizeof storeFolder))
        return FileStatus::kStoreFailed;
    return SaveEncryptedFile(request, storeFolder, progress).status;
}

void ReportSaveFailure(const WindowParts& window, FileStatus status) {
    switch (status) {
    case FileStatus::kOpenFailed:
    case FileStatus::kReadFailed:
        ShowNotification(window.instance, Notice::OpenError);
        break;
    case FileStatus::kStopped:
        break; // the user asked for it
    default:
        ShowNotification(window.instance, Notice::Failure);
        break;
    }
}

// The saved file is the current file from now on. The status bar keeps the preview's texts
// when that is the loaded file; a file saved under another name is named there instead.
void CompleteSave(const WindowParts& window, Document& document, SaveKind kind, const char* target,
                  bool sameFile) {
    document.size = kind == SaveKind::kEncrypted ? document.preview.size + kTrailerLength
                                                 : document.preview.size - kTrailerLength;
    ApplyButtonEvent(window.window, kind == SaveKind::kEncrypted ? ButtonEvent::EncryptedSave
                                                                 : ButtonEvent::DecryptedSave);
    if (!sameFile) {
        CopyWholeText(document.path, sizeof document.path, target);
        BuildFileNameText(document);
        BuildFileSizeText(document);
        ShowFileNameAndSize(window, document);
    }
    RestoreDialogPath(document);
    document.key.Clear(); // the preview is saved; the key is no longer needed
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
    char target[kDialogPathCapacity] = {};
    CopyWholeText(target, sizeof target, document.dialog.path);
    RestoreDialogPath(document);
    const bool sameFile = IsSameFile(document.path, target);
    if (!sameFile && PathExists(target) && !MayReplace(window.window, target))
        return;

    const FileStatus status = work.Run(
        SaveDisplay(document, kind),
        [&](JobProgress& progress) {
            return SaveToTarget(document, kind, target, sameFile, &progress);
        },
        FileStatus::kWriteFailed);
    if (status == FileStatus::kOk)
        CompleteSave(window, document, kind, target, sameFile);
    else if (status != FileStatus::kStopped && !work.Closing())
        ReportSaveFailure(window, status);
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
