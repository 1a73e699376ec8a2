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

// Runs a preview's read (`read(JobProgress*)`) on the work's thread, with the progress text for
// a large file, and takes it into the document. When the window closes meanwhile, the read
// ends as kStopped and nothing is shown.
template <typename Read>
bool RunPreviewRead(const WindowParts& window, BackgroundWork& work, Document& document,
                    const char* progressText, bool loadedEncrypted, Read read,
                    PreviewText& preview) {
    const bool large = NeedsProgressText(document.size);
    if (large)
        ShowTransformProgress(window, progressText);
    const WorkDisplay display{large ? progressText : nullptr, document.size};
    PreviewText failed;
    failed.status = FileStatus::kNoMemory;
    preview = work.Run(
        display, [&](JobProgress& progress) { return read(&progress); }, std::move(failed));
    if (work.Closing())
        preview.status = FileStatus::kStopped;
    if (preview.status == FileStatus::kStopped)
        return false;
    return TakePreview(window, document, preview, loadedEncrypted);
}

bool EncryptPreview(const WindowParts& window, BackgroundWork& work, Document& document) {
    PreviewText preview;
    const auto read = [&](JobProgress* progress) {
        return ReadEncryptPreview(document.path, document.key.Bytes(), document.key.Length(),
                                  progress);
    };
    if (!RunPreviewRead(window, work, document, kProgressEncrypting, false, read, preview))
        return false;
    ShowDocumentText(window, preview.text.c_str(), document.size);
    document.mode = DocumentMode::kEncryptPreview;
    ShowEncryptedState(window, true);
    ShowFileNameAndSize(window, document);
    return true;
}

// The decrypt preview looks the decrypted bytes' checksum up among the records; a verified
// key's record is kept in the document's recordPath for the save.
bool DecryptPreview(const WindowParts& window, BackgroundWork& work, Document& document) {
    char storeFolder[MAX_PATH] = {};
    const bool haveStore = ChecksumStoreFolder(storeFolder, sizeof storeFolder);
    PreviewText preview;
    const auto read = [&](JobProgress* progress) {
        return ReadDecryptPreview(document.path, document.key.Bytes(), document.key.Length(),
                                  haveStore ? storeFolder : nullptr, progress);
    };
    if (!RunPreviewRead(window, work, document, kProgressDecrypting, true, read, preview))
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
