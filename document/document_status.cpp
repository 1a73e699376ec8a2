#include "document/document_status.h"

#include "app/app_state.h"
#include "ui/status_bar.h"
#include "ui/status_texts.h"
#include "util/number_text.h"
#include "util/path_text.h"

namespace {

constexpr char kTooLargeCaption[] = "Veilquill";
constexpr char kTooLargeText[] =
    "\n\nThis file is too large to open. Veilquill holds a file whole in memory and opens "
    "files smaller than 2 GB for which there is enough memory.";

// Copies as much of `text` as fits after what `out` holds: a status text may be cut, it is
// only shown.
void AppendShown(char* out, std::size_t capacity, const char* text) {
    std::size_t length = lstrlenA(out);
    while (*text != '\0' && length + 1 < capacity)
        out[length++] = *text++;
    out[length] = '\0';
}

} // namespace

void BuildFileNameText(const char* path) {
    AppState& app = App();
    app.fileNameText[0] = '\0';
    AppendShown(app.fileNameText, sizeof app.fileNameText, kFileNamePrefix);
    AppendShown(app.fileNameText, sizeof app.fileNameText, FileNamePart(path));
}

void BuildFileSizeText(std::uint32_t size) {
    AppState& app = App();
    char digits[32] = {};
    const std::size_t length = UnsignedDecimalText(size, digits, sizeof digits);
    GroupThousands(digits, length, sizeof digits);
    app.fileSizeText[0] = '\0';
    AppendShown(app.fileSizeText, sizeof app.fileSizeText, kFileSizePrefix);
    AppendShown(app.fileSizeText, sizeof app.fileSizeText, digits);
    AppendShown(app.fileSizeText, sizeof app.fileSizeText, kFileSizeSuffix);
}

void ShowFileNameAndSize() {
    SetPaneText(kPaneName, App().fileNameText);
    SetPaneText(kPaneSize, App().fileSizeText);
}

void ShowEncryptedState(bool encrypted) {
    SetPaneText(kPaneState, encrypted ? kStateEncrypted : kStateNotEncrypted);
    ShowEncryptedIcon(encrypted);
}

bool NeedsProgressText(std::uint32_t size) {
    return size > kProgressTextThreshold;
}

void ShowReadingProgress() {
    SetPaneText(kPaneName, kProgressReading);
    UpdateWindow(App().statusBar);
}

void ShowTransformProgress(const char* text) {
    SetPaneText(kPaneName, text);
    SetPaneText(kPaneState, kBlankPaneText);
    ShowEncryptedIcon(false);
    SetPaneText(kPaneSize, kBlankPaneText);
    UpdateWindow(App().statusBar);
}

void ShowDocumentText(const char* text) {
    SendMessageA(App().documentView, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void ShowTooLargeNotice(HWND mainWindow, const char* path) {
    char text[MAX_PATH + sizeof kTooLargeText] = {};
    AppendShown(text, sizeof text, FileNamePart(path));
    AppendShown(text, sizeof text, kTooLargeText);
    MessageBoxA(mainWindow, text, kTooLargeCaption, MB_OK | MB_ICONWARNING);
}
