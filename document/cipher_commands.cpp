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
#include "util/path_text.h"

namespace {

// A preview that could not read the file: the status bar shows the loaded file again, and
// the user is told once (not when the work was stopped).
void ReportPreviewFailure(const WindowParts& window, const Document& document, FileStatus status,
                          bool loadedEncrypted) {
    ShowEncryptedState(window, loadedEncrypted);
    ShowFileNameAndSize(window, document);
    if (status != FileStatus::kStopped)
        ShowNotification(window.instance, Notice::Failure);
}

// The progress text for a large file, before its preview's read.
void BeginPreview(const WindowParts& window, const Document& document, const char* progressText) {
    if (NeedsProgressText(document.size))
        ShowTransformProgress(window, progressText);
}

// Takes a preview's read into the document: the file size and the preview's snapshot. On
// failure the user has been told.
bool TakePreview(const WindowParts& window, Document& document, const PreviewText& preview,
                 bool loadedEncrypted) {
    if (preview.status != FileStatus::kOk) {
        ReportPreviewFailure(window, document, preview.status, loadedEncrypted);
        return false;
    }
    document.size = preview.snapshot.size;
    BuildFileSizeText(document);
    document.preview = preview.snapshot;
    return true;
}

bool EncryptPreview(const WindowParts& window, Document& document) {
    BeginPreview(window, document, kProgressEncrypting);
    const PreviewText preview =
        ReadEncryptPreview(document.path, document.key.Bytes(), document.key.Length(), nullptr);
    if (!TakePreview(window, document, preview, false))
        return false;
    ShowDocumentText(window, preview.text.c_str(), document.size);
    document.mode = DocumentMode::kEncryptPreview;
    ShowEncryptedState(window, true);
    ShowFileNameAndSize(window, document);
    return true;
}

// The decrypt preview looks the decrypted bytes' checksum up among the records; a verified
// key's record is kept in the document's recordPath for the save.
bool DecryptPreview(const WindowParts& window, Document& document) {
    BeginPreview(window, document, kProgressDecrypting);
    char storeFolder[MAX_PATH] = {};
    const bool haveStore = ChecksumStoreFolder(storeFolder, sizeof storeFolder);
    const PreviewText preview =
        ReadDecryptPreview(document.path, document.key.Bytes(), document.key.Length(),
                           haveStore ? storeFolder : nullptr, nullptr);
    if (!TakePreview(window, document, preview, true))
        return false;
    const bool verified = preview.verified;
    if (!verified ||
        !CopyWholeText(document.recordPath, sizeof document.recordPath, preview.recordPath.c_str()))
        document.recordPath[0] = '\0';
    document.mode = DocumentMode::kDecryptPreview;
    ShowDocumentText(window, preview.text.c_str(), document.size);
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

void EncryptCommand(const WindowParts& window, Document& document) {
    const std::uint64_t started = document.generation;
    const KeyOutcome outcome =
        RunKeyDialog(window.window, window.instance, kEncryptKeyDialog, document.key,
                     [&] { return EncryptPreview(window, document); });
    if (document.generation != started)
        return; // another command took over while a notice showed
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
void DecryptCommand(const WindowParts& window, Document& document) {
    const std::uint64_t started = document.generation;
    const KeyOutcome outcome =
        RunKeyDialog(window.window, window.instance, kDecryptKeyDialog, document.key,
                     [&] { return DecryptPreview(window, document); });
    if (document.generation != started)
        return;
    if (outcome != KeyOutcome::kPreviewShown) {
        document.key.Clear();
        ApplyButtonEvent(window.window, ButtonEvent::DecryptNotCompleted);
        return;
    }
    ApplyButtonEvent(window.window, ButtonEvent::DecryptVerified);
}
