#include "document/cipher_commands.h"

#include "app/app_state.h"
#include "app/view_commands.h"
#include "document/document_status.h"
#include "document/key_dialog.h"
#include "document/preview_reads.h"
#include "resources/resource_ids.h"
#include "store/checksum_store.h"
#include "ui/control_states.h"
#include "ui/notification.h"
#include "ui/status_texts.h"

namespace {

const unsigned char* KeyBytes() {
    return reinterpret_cast<const unsigned char*>(App().cipherKey);
}

void KeepSnapshot(const PreviewSnapshot& snapshot) {
    AppState& app = App();
    app.previewFileSize = snapshot.size;
    app.previewFingerprint = snapshot.fingerprint;
    app.previewChecksum = snapshot.checksum;
}

// A preview that could not read the file: the status bar shows the loaded file again, and
// the user is told once.
void ReportPreviewFailure(FileStatus status, bool loadedEncrypted) {
    AppState& app = App();
    app.keyDialogAborted = 1;
    ShowEncryptedState(loadedEncrypted);
    ShowFileNameAndSize();
    if (status == FileStatus::kTooLarge)
        ShowTooLargeNotice(app.mainWindow, app.loadedFilePath);
    else
        ShowNotification(Notice::Failure);
}

// Reads the loaded file for a preview, with the progress text for a large one. On success the
// file size and the preview's snapshot are taken; on failure the user has been told.
using PreviewReader = PreviewText (*)(const char*, const unsigned char*, std::size_t);
PreviewText ReadForPreview(PreviewReader read, const char* progressText, bool loadedEncrypted) {
    AppState& app = App();
    if (NeedsProgressText(app.fileSize))
        ShowTransformProgress(progressText);
    NormaliseAttributes(app.loadedFilePath);
    PreviewText preview =
        read(app.loadedFilePath, KeyBytes(), static_cast<std::size_t>(app.cipherKeyLength));
    if (preview.file.status != FileStatus::kOk) {
        ReportPreviewFailure(preview.file.status, loadedEncrypted);
        return preview;
    }
    app.fileSize = preview.file.size;
    BuildFileSizeText(preview.file.size);
    KeepSnapshot(preview.snapshot);
    return preview;
}

void EncryptPreview() {
    AppState& app = App();
    const PreviewText preview = ReadForPreview(ReadEncryptPreview, kProgressEncrypting, false);
    if (preview.file.status != FileStatus::kOk)
        return;
    ShowDocumentText(preview.file.block.text());
    app.documentMode = kModeEncryptPreview;
    ShowEncryptedState(true);
    ShowFileNameAndSize();
}

// Whether a record holds the checksum of the decrypted bytes; RecordPath names it.
bool LookUpRecord(std::uint32_t checksum) {
    AppState& app = App();
    char storeFolder[MAX_PATH] = {};
    return ChecksumStoreFolder(storeFolder, sizeof storeFolder) &&
           FindChecksumRecord(storeFolder, checksum, app.recordPath, sizeof app.recordPath);
}

void DecryptPreview() {
    AppState& app = App();
    const PreviewText preview = ReadForPreview(ReadDecryptPreview, kProgressDecrypting, true);
    if (preview.file.status != FileStatus::kOk)
        return;
    const bool verified = LookUpRecord(preview.snapshot.checksum);
    app.documentMode = kModeDecryptPreview;
    ShowDocumentText(preview.file.block.text());
    ShowFileNameAndSize();
    // The buttons change before the notice, so nothing can be pressed out of turn while it
    // is shown.
    if (verified) {
        ShowEncryptedState(false);
        ApplyButtonEvent(app.mainWindow, ButtonEvent::DecryptVerified);
        ShowNotification(Notice::SuccessDecrypted);
    } else {
        app.keyDialogAborted = 1;
        ShowEncryptedState(true); // the file on disk is still encrypted
        ApplyButtonEvent(app.mainWindow, ButtonEvent::DecryptNotCompleted);
        ShowNotification(Notice::Failure);
    }
}

constexpr KeyDialogSetup kEncryptKeyDialog{VQ_TEMPLATE_ENCRYPT_KEY, IDC_ENCRYPT_KEY,
                                           IDC_ENCRYPT_CONTINUE,    IDC_ENCRYPT_CLEAR,
                                           IDC_ENCRYPT_CANCEL,      EncryptPreview};
constexpr KeyDialogSetup kDecryptKeyDialog{VQ_TEMPLATE_DECRYPT_KEY, IDC_DECRYPT_KEY,
                                           IDC_DECRYPT_CONTINUE,    IDC_DECRYPT_CLEAR,
                                           IDC_DECRYPT_CANCEL,      DecryptPreview};

} // namespace

void EncryptCommand(HWND mainWindow) {
    AppState& app = App();
    RunKeyDialog(mainWindow, kEncryptKeyDialog);
    if (app.keyDialogAborted != 0) {
        WipeCipherKey(); // no preview waits for its save
        return;
    }
    ApplyButtonEvent(mainWindow, ButtonEvent::EncryptCompleted);
    ShowNotification(Notice::SuccessEncrypted);
}

void DecryptCommand(HWND mainWindow) {
    AppState& app = App();
    RunKeyDialog(mainWindow, kDecryptKeyDialog);
    if (app.keyDialogAborted != 0) {
        WipeCipherKey();
        ApplyButtonEvent(mainWindow, ButtonEvent::DecryptNotCompleted);
        return;
    }
    ApplyButtonEvent(mainWindow, ButtonEvent::DecryptVerified);
}
