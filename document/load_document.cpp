#include "document/load_document.h"

#include <cderr.h>
#include <commdlg.h>

#include "app/app_state.h"
#include "app/view_commands.h"
#include "document/document_status.h"
#include "document/preview_reads.h"
#include "resources/resource_ids.h"
#include "ui/control_states.h"
#include "ui/notification.h"
#include "ui/status_bar.h"
#include "util/path_text.h"

namespace {

constexpr DWORD kOpenFlags =
    OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES;

// How the choice of a file ended.
enum class Choice { kChosen, kCancelled, kRefused };

// The load ends without a document: nothing to show, only "Open File" to go on with.
void EndLoadWithout(HWND mainWindow) {
    ClearAllPanes();
    ApplyButtonEvent(mainWindow, ButtonEvent::LoadEndedWithout);
}

// Repaints what the Open dialog covered, so that no trace of it stays during a long read.
void RepaintAfterDialog(HWND mainWindow) {
    UpdateWindow(App().documentView);
    for (int id = IDC_BTN_SAVE_AS; id <= IDC_BTN_HELP; ++id)
        UpdateWindow(GetDlgItem(mainWindow, id));
    UpdateWindow(mainWindow);
}

Choice ChooseWithDialog(HWND mainWindow) {
    AppState& app = App();
    app.sharedOpenFileName.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    app.sharedOpenFileName.Flags = kOpenFlags;
    if (GetOpenFileNameA(&app.sharedOpenFileName) == TRUE) {
        RepaintAfterDialog(mainWindow);
        return Choice::kChosen;
    }
    // A path longer than the buffer is refused, never cut; the dialog has then left the
    // needed length in the buffer, which must not pass for a path.
    if (CommDlgExtendedError() != FNERR_BUFFERTOOSMALL)
        return Choice::kCancelled;
    app.fileNameBuffer[0] = '\0';
    return Choice::kRefused;
}

// Puts the path of the file to load into FileNameBuffer.
Choice ChooseFile(HWND mainWindow) {
    AppState& app = App();
    if (app.openNamedFile != 1)
        return ChooseWithDialog(mainWindow);
    if (app.namedFilePath[0] == '\0' ||
        !CopyWholeText(app.fileNameBuffer, sizeof app.fileNameBuffer, app.namedFilePath))
        return Choice::kRefused;
    return Choice::kChosen;
}

void ReportReadFailure(HWND mainWindow, FileStatus status, const char* path) {
    EndLoadWithout(mainWindow);
    switch (status) {
    case FileStatus::kEmpty:
        break; // an empty file has nothing to show and needs no message
    case FileStatus::kTooLarge:
        ShowTooLargeNotice(mainWindow, path);
        break;
    default:
        ShowNotification(Notice::OpenError);
        break;
    }
}

void ShowLoadedDocument(HWND mainWindow, DisplayDocument& document) {
    AppState& app = App();
    app.fileSize = document.file.size;
    BuildFileSizeText(app.fileSize);
    // Handing a large text to the view takes visible time.
    if (NeedsProgressText(app.fileSize))
        ShowReadingProgress();
    ShowDocumentText(document.file.block.text());
    ApplyButtonEvent(mainWindow, document.encrypted ? ButtonEvent::LoadSucceededEncrypted
                                                    : ButtonEvent::LoadSucceededPlain);
    ShowEncryptedState(document.encrypted);
    ShowFileNameAndSize();
}

void LoadChosenFile(HWND mainWindow) {
    AppState& app = App();
    ApplyButtonEvent(mainWindow, ButtonEvent::LoadFileChosen);
    // Kept whole, so that a later change of the current folder cannot change the file.
    if (!FullPathOf(app.fileNameBuffer, app.loadedFilePath, sizeof app.loadedFilePath)) {
        ReportReadFailure(mainWindow, FileStatus::kOpenFailed, app.fileNameBuffer);
        return;
    }
    CopyWholeText(app.fileNameBuffer, sizeof app.fileNameBuffer, app.loadedFilePath);
    BuildFileNameText(app.loadedFilePath);
    NormaliseAttributes(app.loadedFilePath);

    DisplayDocument document = ReadDocumentForDisplay(app.loadedFilePath);
    if (document.file.status != FileStatus::kOk) {
        ReportReadFailure(mainWindow, document.file.status, app.loadedFilePath);
        app.loadedFilePath[0] = '\0';
        return;
    }
    ShowLoadedDocument(mainWindow, document);
}

} // namespace

void LoadDocument(HWND mainWindow) {
    AppState& app = App();
    app.documentMode = kModeLoaded;
    WipeCipherKey();
    const Choice choice = ChooseFile(mainWindow);
    app.openNamedFile = 0; // the next "Open File" shows the dialog
    switch (choice) {
    case Choice::kChosen:
        LoadChosenFile(mainWindow);
        break;
    case Choice::kCancelled:
        EndLoadWithout(mainWindow);
        break;
    case Choice::kRefused:
        EndLoadWithout(mainWindow);
        ShowNotification(Notice::OpenError);
        break;
    }
}
