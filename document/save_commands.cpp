#include "document/save_commands.h"

#include <cderr.h>
#include <commdlg.h>

#include "app/app_state.h"
#include "app/view_commands.h"
#include "cipher/encrypted_trailer.h"
#include "document/document_status.h"
#include "document/file_saves.h"
#include "store/checksum_store.h"
#include "ui/control_states.h"
#include "ui/notification.h"
#include "util/path_text.h"

namespace {

constexpr DWORD kSaveFlags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_LONGNAMES;

constexpr char kOverwriteCaption[] = "Confirm Save As";
constexpr char kOverwriteQuestion[] = " already exists.\nDo you want to replace it?";

enum class SaveKind { kEncrypted, kDecrypted };
enum class Choice { kChosen, kCancelled, kRefused };

// FileNameBuffer names the loaded file again, so the next dialog starts on it.
void RestoreDialogPath() {
    AppState& app = App();
    CopyWholeText(app.fileNameBuffer, sizeof app.fileNameBuffer, app.loadedFilePath);
}

Choice ChooseTarget() {
    AppState& app = App();
    app.sharedOpenFileName.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    app.sharedOpenFileName.Flags = kSaveFlags;
    if (GetSaveFileNameA(&app.sharedOpenFileName) == TRUE)
        return Choice::kChosen;
    // A path longer than the buffer is refused, never cut.
    return CommDlgExtendedError() == FNERR_BUFFERTOOSMALL ? Choice::kRefused : Choice::kCancelled;
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

FileStatus SaveToTarget(SaveKind kind, const char* target, bool sameFile) {
    AppState& app = App();
    SaveRequest request;
    request.sourcePath = app.loadedFilePath;
    request.targetPath = target;
    request.key = reinterpret_cast<const unsigned char*>(app.cipherKey);
    request.keyLength = static_cast<std::size_t>(app.cipherKeyLength);
    request.preview.size = app.previewFileSize;
    request.preview.fingerprint = app.previewFingerprint;
    request.preview.checksum = app.previewChecksum;
    if (kind == SaveKind::kDecrypted)
        return SaveDecryptedFile(request, app.recordPath, sameFile);

    char storeFolder[MAX_PATH] = {};
    char newRecord[kRecordPathSize] = {};
    if (!ChecksumStoreFolder(storeFolder, sizeof storeFolder))
        return FileStatus::kStoreFailed;
    return SaveEncryptedFile(request, storeFolder, newRecord, sizeof newRecord);
}

void ReportSaveFailure(HWND mainWindow, FileStatus status) {
    switch (status) {
    case FileStatus::kOpenFailed:
    case FileStatus::kReadFailed:
        ShowNotification(Notice::OpenError);
        break;
    case FileStatus::kTooLarge:
        ShowTooLargeNotice(mainWindow, App().loadedFilePath);
        break;
    default:
        ShowNotification(Notice::Failure);
        break;
    }
}

// The saved file is the current file from now on. The status bar keeps the preview's texts
// when that is the loaded file; a file saved under another name is named there instead.
void CompleteSave(HWND mainWindow, SaveKind kind, const char* target, bool sameFile) {
    AppState& app = App();
    app.fileSize = kind == SaveKind::kEncrypted
                       ? app.previewFileSize + static_cast<std::uint32_t>(kTrailerLength)
                       : app.previewFileSize - static_cast<std::uint32_t>(kTrailerLength);
    ApplyButtonEvent(mainWindow, kind == SaveKind::kEncrypted ? ButtonEvent::EncryptedSave
                                                              : ButtonEvent::DecryptedSave);
    if (!sameFile) {
        CopyWholeText(app.loadedFilePath, sizeof app.loadedFilePath, target);
        BuildFileNameText(app.loadedFilePath);
        BuildFileSizeText(app.fileSize);
        ShowFileNameAndSize();
    }
    RestoreDialogPath();
    WipeCipherKey(); // the preview is saved; the key is no longer needed
}

void RunSave(HWND mainWindow, SaveKind kind) {
    AppState& app = App();
    const Choice choice = ChooseTarget();
    if (choice != Choice::kChosen) {
        RestoreDialogPath();
        if (choice == Choice::kRefused)
            ShowNotification(Notice::OpenError);
        return;
    }
    char target[kFileNameBufferSize] = {};
    CopyWholeText(target, sizeof target, app.fileNameBuffer);
    RestoreDialogPath();
    const bool sameFile = IsSameFile(app.loadedFilePath, target);
    if (!sameFile && PathExists(target) && !MayReplace(mainWindow, target))
        return;

    const FileStatus status = SaveToTarget(kind, target, sameFile);
    if (status == FileStatus::kOk)
        CompleteSave(mainWindow, kind, target, sameFile);
    else
        ReportSaveFailure(mainWindow, status);
}

} // namespace

void SaveEncrypted(HWND mainWindow) {
    RunSave(mainWindow, SaveKind::kEncrypted);
}

void SaveDecrypted(HWND mainWindow) {
    RunSave(mainWindow, SaveKind::kDecrypted);
}
