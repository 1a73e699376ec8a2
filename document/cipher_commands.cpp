// "Encrypt" and "Decrypt": ask for a key and show the transformed file as a preview.
#include <cstddef>
#include <cstdint>

#include "core/file_jobs.h"
#include "document/view_text.h"
#include "document/document_commands.h"
#include "document/document.h"
#include "document/document_status.h"
#include "document/key_dialog.h"
#include "platform/platform.h"
#include "platform/win32_path_attributes.h"
#include "resources/resource_ids.h"
#include "ui/control_states.h"
#include "ui/notification.h"
#include "ui/status_bar.h"
#include "util/path_text.h"

namespace {

// A preview that could not read the file: the status bar shows the loaded file again, and
// the user is told once (not when the work was stopped).
void ReportPreviewFailure(const WindowParts& window, const Document& document,
                          const JobResult& result, bool loadedEncrypted) {
    ShowEncryptedState(window, loadedEncrypted);
    ShowFileNameAndSize(window, document);
    if (const std::optional<Notice> notice = NoticeFor(DocumentStep::kPreview, result))
        ShowNotification(window.instance, *notice);
}

// Runs a preview's pass (`pass(JobProgress&)`, which first makes a read-only or hidden file
// saveable) on the work's thread, with the progress text for
// a large file, and takes its snapshot and the file's size into the document. When the window
// closes meanwhile, the pass ends as kStopped and nothing is shown. A pass that could not read
// the file has been reported; one that read it (kDone, or a decryption no record verifies)
// is returned for the caller to show.
template <typename Pass>
bool RunPreviewPass(const WindowParts& window, BackgroundWork& work, Document& document,
                    const char* progressText, bool loadedEncrypted, Pass pass,
                    PreviewPass& preview) {
    const bool large = NeedsProgressText(document.size);
    if (large)
        ShowTransformProgress(window, progressText);
    const WorkDisplay display{large ? progressText : nullptr, document.size};
    PreviewPass failed;
    failed.result = Ended(JobOutcome::kNoMemory);
    preview = work.Run(display, pass, std::move(failed));
    if (work.Closing())
        preview.result = FailedAt(FileFailure::kStopped, false);
    const bool read = preview.result.done() || preview.result.outcome == JobOutcome::kNoRecord;
    if (!read) {
        if (preview.result.file != FileFailure::kStopped)
            ReportPreviewFailure(window, document, preview.result, loadedEncrypted);
        return false;
    }
    document.size = preview.snapshot.size;
    BuildFileSizeText(document);
    document.preview = preview.snapshot;
    return true;
}

// The key is derived on the work's thread (for the strong format that takes a while); the
// encryption is kept for the save only once its preview has been shown.
bool EncryptPreview(const WindowParts& window, BackgroundWork& work, Document& document,
                    const TypedKey& key) {
    document.ForgetKey(); // what an earlier preview derived
    const FormatKind format = document.strongChosen ? FormatKind::kStrong : FormatKind::kOriginal;
    std::unique_ptr<Encryption> encryption;
    PreviewPass preview;
    const auto pass = [&](JobProgress& progress) {
        PreviewPass prepared;
        prepared.result = PrepareEncryption(SystemFiles(), format, key, encryption);
        if (!prepared.result.done())
            return prepared;
        NormaliseFileAttributes(document.path);
        return PreviewEncryption(SystemFiles(), document.path, kDocumentOpen, *encryption,
                                 kShownBytes, &progress);
    };
    if (!RunPreviewPass(window, work, document, kProgressEncrypting, false, pass, preview))
        return false;
    document.encryption = std::move(encryption);
    ShowDocumentText(window, preview.head, document.size, ViewDecoding::kAsCodePage);
    document.mode = DocumentMode::kEncryptPreview;
    ShowEncryptedState(window, true);
    ShowFileNameAndSize(window, document);
    return true;
}

// The decrypt preview is also the key check: the decrypted bytes' checksum is looked up
// among the records beside the program.
bool DecryptPreview(const WindowParts& window, BackgroundWork& work, Document& document,
                    const TypedKey& key) {
    document.ForgetKey(); // what an earlier preview derived
    const std::unique_ptr<RecordFolder> folder = WindowRecordFolder();
    PreviewPass preview;
    const auto pass = [&](JobProgress& progress) {
        std::unique_ptr<RecordStore> store;
        if (folder) // without a records folder no record can verify a key
            store = std::make_unique<RecordStore>(*folder);
        NormaliseFileAttributes(document.path);
        return PreviewDecryption(SystemFiles(), document.path, kDocumentOpen, key, store.get(),
                                 kShownBytes, &progress);
    };
    if (!RunPreviewPass(window, work, document, kProgressDecrypting, true, pass, preview))
        return false;
    const bool verified = preview.result.done();
    document.decryption = std::move(preview.decryption);
    document.mode = DocumentMode::kDecryptPreview;
    ShowDocumentText(window, preview.head, document.size, ViewDecoding::kAsText);
    ShowFileNameAndSize(window, document);
    // The buttons change once the notice has closed, in DecryptCommand.
    ShowEncryptedState(window, !verified); // unverified, the file on disk is still encrypted
    ShowNotification(window.instance, verified ? Notice::SuccessDecrypted : Notice::Failure);
    return verified;
}

constexpr KeyDialogSetup kEncryptKeyDialog{VQ_TEMPLATE_ENCRYPT_KEY, IDC_ENCRYPT_KEY,
                                           IDC_ENCRYPT_CONTINUE,    IDC_ENCRYPT_CLEAR,
                                           IDC_ENCRYPT_CANCEL,      IDC_ENCRYPT_STRONG};
// The format is read from the file: the decryption key dialog has no box.
constexpr KeyDialogSetup kDecryptKeyDialog{VQ_TEMPLATE_DECRYPT_KEY, IDC_DECRYPT_KEY,
                                           IDC_DECRYPT_CONTINUE,    IDC_DECRYPT_CLEAR,
                                           IDC_DECRYPT_CANCEL,      0};

} // namespace

void EncryptCommand(const WindowParts& window, BackgroundWork& work, Document& document) {
    const std::uint64_t started = document.generation;
    TypedKey key;
    const KeyOutcome outcome =
        RunKeyDialog(window.window, window.instance, kEncryptKeyDialog, key, document.strongChosen,
                     [&] { return EncryptPreview(window, work, document, key); });
    if (document.generation != started || work.Closing())
        return; // another command took over while a notice showed, or the window closes
    if (outcome != KeyOutcome::kPreviewShown) {
        document.ForgetKey(); // no preview waits for its save
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
    bool noBox = false;
    TypedKey key;
    const KeyOutcome outcome =
        RunKeyDialog(window.window, window.instance, kDecryptKeyDialog, key, noBox,
                     [&] { return DecryptPreview(window, work, document, key); });
    if (document.generation != started || work.Closing())
        return;
    if (outcome != KeyOutcome::kPreviewShown) {
        document.ForgetKey();
        ApplyButtonEvent(window.window, ButtonEvent::DecryptNotCompleted);
        return;
    }
    ApplyButtonEvent(window.window, ButtonEvent::DecryptVerified);
}
