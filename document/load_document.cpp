// Brings a file into the program: reads it, shows it and tells whether it is encrypted.
#include <cstring>
#include <utility>

#include "document/document_commands.h"
#include "document/document_status.h"
#include "document/preview_reads.h"
#include "platform/win32_path_attributes.h"
#include "resources/resource_ids.h"
#include "ui/control_states.h"
#include "ui/notification.h"
#include "ui/status_bar.h"
#include "ui/status_texts.h"
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

// Puts the path of the file to load into the document's dialog path. A path handed over is
// refused when it has `capacity` characters or more.
Choice ChooseFile(const WindowParts& window, Document& document, const char* path,
                  std::size_t capacity) {
    if (path != nullptr) {
        if (path[0] == '\0' || std::strlen(path) >= capacity ||
            !CopyWholeText(document.dialog.path, sizeof document.dialog.path, path))
            return Choice::kRefused;
        return Choice::kChosen;
    }
    switch (AskForPath(window.window, PathQuestion::kOpen, document.dialog)) {
    case PathAnswer::kChosen:
        RepaintAfterDialog(window);
        return Choice::kChosen;
    case PathAnswer::kTooLong:
        return Choice::kRefused;
    case PathAnswer::kCancelled:
        break;
    }
    return Choice::kCancelled;
}

void ReportReadFailure(const WindowParts& window, FileStatus status) {
    EndLoadWithout(window);
    switch (status) {
    case FileStatus::kEmpty:
    case FileStatus::kStopped:
        break; // an empty file has nothing to show and needs no message
    case FileStatus::kNoMemory:
        ShowNotification(window.instance, Notice::Failure);
        break;
    default:
        ShowNotification(window.instance, Notice::OpenError);
        break;
    }
}

void ShowLoadedDocument(const WindowParts& window, Document& document,
                        const DisplayDocument& shown) {
    document.size = shown.size;
    BuildFileSizeText(document);
    // Handing a large text to the view takes visible time.
    if (NeedsProgressText(document.size))
        ShowReadingProgress(window);
    ShowDocumentText(window, shown.text.c_str(), document.size);
    ApplyButtonEvent(window.window, shown.encrypted ? ButtonEvent::LoadSucceededEncrypted
                                                    : ButtonEvent::LoadSucceededPlain);
    ShowEncryptedState(window, shown.encrypted);
    ShowFileNameAndSize(window, document);
}

void LoadChosenFile(const WindowParts& window, BackgroundWork& work, Document& document) {
    ApplyButtonEvent(window.window, ButtonEvent::LoadFileChosen);
    if (!FullPathOf(document.dialog.path, document.path, sizeof document.path)) {
        ReportReadFailure(window, FileStatus::kOpenFailed);
        return;
    }
    CopyWholeText(document.dialog.path, sizeof document.dialog.path, document.path);
    BuildFileNameText(document);

    // The file's size as the folder lists it, for the share of it read.
    const std::uint64_t listedSize = ListedFileSize(document.path);
    const WorkDisplay display{NeedsProgressText(listedSize) ? kProgressReading : nullptr,
                              listedSize};
    DisplayDocument failed;
    failed.status = FileStatus::kNoMemory;
    const DisplayDocument shown = work.Run(
        display,
        [&](JobProgress& progress) { return ReadDocumentForDisplay(document.path, &progress); },
        std::move(failed));
    if (shown.status == FileStatus::kStopped || work.Closing()) {
        document.path[0] = '\0'; // the window closes: nothing more is shown
        return;
    }
    if (shown.status != FileStatus::kOk) {
        ReportReadFailure(window, shown.status);
        document.path[0] = '\0';
        return;
    }
    ShowLoadedDocument(window, document, shown);
}

void Load(const WindowParts& window, BackgroundWork& work, Document& document, const char* path,
          std::size_t capacity) {
    document.mode = DocumentMode::kLoaded;
    document.key.Clear();
    switch (ChooseFile(window, document, path, capacity)) {
    case Choice::kChosen:
        LoadChosenFile(window, work, document);
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
