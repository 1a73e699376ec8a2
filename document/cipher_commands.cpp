// "Encrypt" and "Decrypt": ask for a key and show the transformed file as a preview.
#include <cstddef>
#include <cstdint>

#include "document/document_commands.h"
#include "document/document_status.h"
#include "document/key_dialog.h"
#include "document/preview_reads.h"
#include "resources/resource_ids.h"
#include "store/checksum_store.h"
#include "ui/control_states.h"
#include "ui/notification.h"
#include "ui/status_texts.h"

namespace {

// A preview that could not read the file: the status bar shows the loaded file again, and
// the user is told once.
void ReportPreviewFailure(const WindowParts& window, const Document& document, FileStatus status,
                          bool loadedEncrypted) {
    ShowEncryptedState(window, loadedEncrypted);
    ShowFileNameAndSize(window, document);
    if (status == FileStatus::kTooLarge)
        ShowTooLargeNotice(window.window, document.path);
    else
        ShowNotification(window.instance, Notice::Failure);
}

// Reads the loaded file for a preview, with the progress text for a large one. On success the
// file size and the preview's snapshot are taken; on failure the user has been told.
// When the window closes meanwhile, the read ends as kStopped and nothing is shown.
using PreviewReader = PreviewText (*)(const char*, const unsigned char*, std::size_t, JobProgress*);
PreviewText ReadForPreview(const WindowParts& window, BackgroundWork& work, Document& document,
                           PreviewReader read, const char* progressText, bool loadedEncrypted) {
    const bool large = NeedsProgressText(document.size);
    if (large)
        ShowTransformProgress(window, progressText);
    NormaliseAttributes(document.path);
    const WorkDisplay display{large ? progressText : nullptr, document.size};
    PreviewText preview = work.Run(
        display,
        [&](JobProgress& progress) {
            return read(document.path, document.key.Bytes(), document.key.Length(), &progress);
        },
        PreviewText{FileBytes{FileStatus::kTooLarge, {}, 0}, {}});
    if (work.Closing())
        preview.file.status = FileStatus::kStopped;
    if (preview.file.status == FileStatus::kStopped)
        return preview;
    if (preview.file.status != FileStatus::kOk) {
        ReportPreviewFailure(window, document, preview.file.status, loadedEncrypted);
        return preview;
    }
    document.size = preview.file.size;
    BuildFileSizeText(document);
    document.preview = preview.snapshot;
    return preview;
}

bool EncryptPreview(const WindowParts& window, BackgroundWork& work, Document& document) {
    const PreviewText preview =
        ReadForPreview(window, work, document, ReadEncryptPreview, kProgressEncrypting, false);
    if (preview.file.status != FileStatus::kOk)
        return false;
    ShowDocumentText(window, preview.file.block.text(), document.size);
    document.mode = DocumentMode::kEncryptPreview;
    ShowEncryptedState(window, true);
    ShowFileNameAndSize(window, document);
    return true;
}

// Whether a record holds the checksum of the decrypted bytes; the document's recordPath names
// it.
bool LookUpRecord(Document& document, std::uint32_t checksum) {
    char storeFolder[MAX_PATH] = {};
    return ChecksumStoreFolder(storeFolder, sizeof storeFolder) &&
           FindChecksumRecord(storeFolder, checksum, document.recordPath,
                              sizeof document.recordPath);
}

bool DecryptPreview(const WindowParts& window, BackgroundWork& work, Document& document) {
    const PreviewText preview =
        ReadForPreview(window, work, document, ReadDecryptPreview, kProgressDecrypting, true);
    if (preview.file.status != FileStatus::kOk)
        return false;
    const bool verified = LookUpRecord(document, preview.snapshot.checksum);
    document.mode = DocumentMode::kDecryptPreview;
    ShowDocumentText(window, preview.file.block.text(), document.size);
    ShowFileNameAndSize(window, document);
    // The buttons change once the notice has closed, in DecryptCommand.
    ShowEncryptedState(window, !verified); // unverified, the file on disk is still encrypted
    ShowNotification(window.instance, verified ? Notice::SuccessDecrypted : Notice::Failure);
    return verified;
}

constexpr KeyDialogSetup kEncryptKeyDialog{VQ_TEMPLATE_ENCRYPT_KEY, IDC_ENCRYPT_KEY,
                                           IDC_ENCRYPT_CONTINUE, IDC_ENCRYPT_CLEAR,
                                           IDC_ENCRYPT_CANCEL};
constexpr KeyDialogSetup kDecryptKeyDialog{VQ_TEMPLATE_DECRYPT_KEY, IDC_DECRYPT_KEY,
                                           IDC_DECRYPT_CONTINUE, IDC_DECRYPT_CLEAR,
                                           IDC_DECRYPT_CANCEL};

} // namespace

void EncryptCommand(const WindowParts& window, BackgroundWork& work, Document& document) {
    const std::uint64_t started = document.generation;
    const KeyOutcome outcome =
        RunKeyDialog(window.window, window.instance, kEncryptKeyDialog, document.key,
                     [&] { return EncryptPreview(window, work, document); });
    if (document.generation != started || work.Closing())
        return; // another command took over while a notice showed, or the window closes
    if (outcome != KeyOutcome::kPreviewShown) {
        document.key.Clear(); // no preview waits for its save
        return;
    }
    ShowNotification(window.instance, Notice::SuccessEncrypted);
    if (document.generation != started)
        return;
    ApplyButtonEvent(window.window, ButtonEvent::EncryptCompleted);
}

// The decrypt preview shows its notice itself, from the key dialog; the window stays usable
// meanwhile, so the buttons change only when no other command has come in between.
void DecryptCommand(const WindowParts& window, BackgroundWork& work, Document& document) {
    const std::uint64_t started = document.generation;
    const KeyOutcome outcome =
        RunKeyDialog(window.window, window.instance, kDecryptKeyDialog, document.key,
                     [&] { return DecryptPreview(window, work, document); });
    if (document.generation != started || work.Closing())
        return;
    if (outcome != KeyOutcome::kPreviewShown) {
        document.key.Clear();
        ApplyButtonEvent(window.window, ButtonEvent::DecryptNotCompleted);
        return;
    }
    ApplyButtonEvent(window.window, ButtonEvent::DecryptVerified);
}
