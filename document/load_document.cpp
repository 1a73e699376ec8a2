// Brings a file into the program: reads it, shows it and tells whether it is encrypted.
#include <cstring>
#include <string>
#include <utility>

#include "core/file_jobs.h"
#include "document/document_commands.h"
#include "document/document.h"
#include "document/document_status.h"
#include "platform/platform.h"
#include "platform/win32_path_attributes.h"
#include "resources/resource_ids.h"
#include "ui/control_states.h"
#include "ui/notification.h"
#include "ui/status_bar.h"
#include "util/path_text.h"

namespace {

// How the choice of a file ended.
enum class Choice { kChosen, kCancelled, kRefused };

// The load ends without a document: nothing to show, only "Open File" to go on with.
void EndLoadWithout(const WindowParts& window) {
    ClearAllPanes(window.statusBar);
    ApplyButtonEvent(window.window, ButtonEvent::LoadEndedWithout);
}

// Repaints what the Open dialog covered, so that no trace of it stays during a long read.
void RepaintAfterDialog(const WindowParts& window) {
    UpdateWindow(window.documentView);
    for (int id = IDC_BTN_SAVE_AS; id <= IDC_BTN_HELP; ++id)
        UpdateWindow(GetDlgItem(window.window, id));
    UpdateWindow(window.window);
}

// The path of the file to load, into `chosen`: the one handed over (refused when it has
// `capacity` characters or more), or the Open dialog's answer.
Choice ChooseFile(const WindowParts& window, Document& document, const char* path,
                  std::size_t capacity, std::string& chosen) {
    if (path != nullptr) {
        if (path[0] == '\0' || std::strlen(path) >= capacity)
            return Choice::kRefused;
        chosen = path;
        return Choice::kChosen;
    }
    switch (AskForPath(window.window, PathQuestion::kOpen, document.dialog)) {
    case PathAnswer::kChosen:
        RepaintAfterDialog(window);
        chosen = document.dialog.path;
        return Choice::kChosen;
    case PathAnswer::kTooLong:
        return Choice::kRefused;
    case PathAnswer::kCancelled:
        break;
    }
    return Choice::kCancelled;
}

void ReportReadFailure(const WindowParts& window, const JobResult& result) {
    EndLoadWithout(window);
    if (const std::optional<Notice> notice = NoticeFor(DocumentStep::kLoad, result))
        ShowNotification(window.instance, *notice);
}

void ShowLoadedDocument(const WindowParts& window, Document& document, const FileHead& shown) {
    document.size = shown.format.size;
    BuildFileSizeText(document);
    // Handing a large text to the view takes visible time.
    if (NeedsProgressText(document.size))
        ShowReadingProgress(window);
    // An encrypted file's body is cipher text: it is shown as the encrypt preview showed it.
    const bool encrypted = shown.format.encrypted();
    ShowDocumentText(window, shown.head, document.size,
                     encrypted ? ViewDecoding::kAsCodePage : ViewDecoding::kAsText);
    ApplyButtonEvent(window.window, encrypted ? ButtonEvent::LoadSucceededEncrypted
                                              : ButtonEvent::LoadSucceededPlain);
    ShowEncryptedState(window, encrypted);
    ShowFileNameAndSize(window, document);
}

// Reads what the view shows of the file; a read-only or hidden file is made writable first.
FileHead ReadShownHead(const char* path, JobProgress& progress) {
    NormaliseFileAttributes(path);
    FileHead head = ReadFileHead(SystemFiles(), path, kDocumentOpen, kShownBytes, &progress);
    if (head.result.done() && head.format.size == 0)
        head.result = Ended(JobOutcome::kEmpty);
    return head;
}

// Loads the chosen file; the next dialog opens on it.
void LoadChosenFile(const WindowParts& window, BackgroundWork& work, Document& document,
                    const std::string& chosen) {
    ApplyButtonEvent(window.window, ButtonEvent::LoadFileChosen);
    if (!FullPathOf(chosen.c_str(), document.path, sizeof document.path)) {
        ReportReadFailure(window, FailedAt(FileFailure::kMissing, false));
        return;
    }
    CopyWholeText(document.dialog.path, sizeof document.dialog.path, document.path);
    BuildFileNameText(document);

    // The file's size as the folder lists it, for the share of it read.
    const std::uint64_t listedSize = ListedFileSize(document.path);
    const WorkDisplay display{NeedsProgressText(listedSize) ? kProgressReading : nullptr,
                              listedSize};
    FileHead failed;
    failed.result = Ended(JobOutcome::kNoMemory);
    const FileHead shown = work.Run(
        display, [&](JobProgress& progress) { return ReadShownHead(document.path, progress); },
        std::move(failed));
    if (shown.result.file == FileFailure::kStopped || work.Closing()) {
        document.path[0] = '\0'; // the window closes: nothing more is shown
        return;
    }
    if (!shown.result.done()) {
        ReportReadFailure(window, shown.result);
        document.path[0] = '\0';
        return;
    }
    ShowLoadedDocument(window, document, shown);
}

void Load(const WindowParts& window, BackgroundWork& work, Document& document, const char* path,
          std::size_t capacity) {
    document.mode = DocumentMode::kLoaded;
    document.ForgetKey();
    std::string chosen;
    switch (ChooseFile(window, document, path, capacity, chosen)) {
    case Choice::kChosen:
        LoadChosenFile(window, work, document, chosen);
        break;
    case Choice::kCancelled:
        EndLoadWithout(window);
        break;
    case Choice::kRefused:
        EndLoadWithout(window);
        ShowNotification(window.instance, Notice::OpenError);
        break;
    }
}

} // namespace

void LoadDocument(const WindowParts& window, BackgroundWork& work, Document& document,
                  const char* path) {
    Load(window, work, document, path, kNamedPathCapacity);
}

void LoadDroppedDocument(const WindowParts& window, BackgroundWork& work, Document& document,
                         const char* path) {
    Load(window, work, document, path, kDialogPathCapacity);
}
