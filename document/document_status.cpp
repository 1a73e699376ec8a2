#include "document/document_status.h"

#include <cstring>
#include <string>

#include "document/view_text.h"
#include "ui/status_bar.h"
#include "util/number_text.h"
#include "util/path_text.h"
#include "platform/win32_wide_text.h"

namespace {

// A byte that goes on a UTF-8 sequence begun before it (10xxxxxx).
bool IsContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Copies as much of `text` as fits after what `out` holds: a status text may be cut, it is
// only shown, but never inside a character's UTF-8 sequence.
void AppendShown(char* out, std::size_t capacity, const char* text) {
    std::size_t length = std::strlen(out);
    while (*text != '\0' && length + 1 < capacity)
        out[length++] = *text++;
    if (IsContinuationByte(*text)) {
        // Cut inside a character: its bytes that fitted (the lead byte and the continuation
        // bytes after it) go too.
        while (length > 0 && IsContinuationByte(out[length - 1]))
            --length;
        if (length > 0)
            --length;
    }
    out[length] = '\0';
}

// The bytes that begin a two-byte character in the system's code page.
LeadBytes SystemLeadBytes() {
    LeadBytes leadBytes;
    CPINFO info{};
    if (!GetCPInfo(CP_ACP, &info))
        return leadBytes;
    // Pairs of first and last lead byte, ended by a pair of zeros.
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
        for (unsigned byte = info.LeadByte[i]; byte <= info.LeadByte[i + 1]; ++byte)
            leadBytes.set(byte);
    }
    return leadBytes;
}

// The UTF-16 text the view is handed for a decoded text.
std::wstring WideViewText(const ViewText& text) {
    switch (text.encoding) {
    case ViewEncoding::kUtf8:
        return WideFromUtf8(text.bytes);
    case ViewEncoding::kUtf16:
        return std::wstring(text.units.begin(), text.units.end());
    case ViewEncoding::kCodePage:
        break;
    }
    const int length = static_cast<int>(text.bytes.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, text.bytes.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    if (units > 0)
        MultiByteToWideChar(CP_ACP, 0, text.bytes.data(), length, &wide[0], units);
    return wide;
}

} // namespace

void BuildFileNameText(Document& document) {
    document.nameText[0] = '\0';
    AppendShown(document.nameText, sizeof document.nameText, kFileNamePrefix);
    AppendShown(document.nameText, sizeof document.nameText, FileNamePart(document.path));
}

void BuildFileSizeText(Document& document) {
    char digits[32] = {};
    const std::size_t length = UnsignedDecimalText(document.size, digits, sizeof digits);
    GroupThousands(digits, length, sizeof digits);
    document.sizeText[0] = '\0';
    AppendShown(document.sizeText, sizeof document.sizeText, kFileSizePrefix);
    AppendShown(document.sizeText, sizeof document.sizeText, digits);
    AppendShown(document.sizeText, sizeof document.sizeText, kFileSizeSuffix);
}

void ShowFileNameAndSize(const WindowParts& window, const Document& document) {
    SetPaneText(window.statusBar, kPaneName, document.nameText);
    SetPaneText(window.statusBar, kPaneSize, document.sizeText);
}

void ShowEncryptedState(const WindowParts& window, bool encrypted) {
    SetPaneText(window.statusBar, kPaneState, encrypted ? kStateEncrypted : kStateNotEncrypted);
    ShowEncryptedIcon(window, encrypted);
}

bool NeedsProgressText(std::uint64_t size) {
    return size > kProgressTextThreshold;
}

void ShowReadingProgress(const WindowParts& window) {
    SetPaneText(window.statusBar, kPaneName, kProgressReading);
    UpdateWindow(window.statusBar);
}

void ShowTransformProgress(const WindowParts& window, const char* text) {
    SetPaneText(window.statusBar, kPaneName, text);
    SetPaneText(window.statusBar, kPaneState, kBlankPaneText);
    SetPaneIcon(window.statusBar, nullptr);
    SetPaneText(window.statusBar, kPaneSize, kBlankPaneText);
    UpdateWindow(window.statusBar);
}

void ShowDocumentText(const WindowParts& window, const std::vector<unsigned char>& head,
                      std::uint64_t fileSize, ViewDecoding decoding) {
    const ViewText text =
        decoding == ViewDecoding::kAsText
            ? DecodeViewText(head.data(), head.size(), fileSize, SystemLeadBytes())
            : CodePageViewText(head.data(), head.size(), fileSize, SystemLeadBytes());
    const HFONT font = text.encoding == ViewEncoding::kCodePage ? window.codePageFont.get()
                                                                : window.unicodeFont.get();
    if (font != nullptr &&
        reinterpret_cast<HFONT>(SendMessageW(window.documentView, WM_GETFONT, 0, 0)) != font)
        SendMessageW(window.documentView, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(window.documentView, WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(WideViewText(text).c_str()));
}

namespace {

// A failure of the file the command reads, which is missing, in use or unreadable (not one
// that changed meanwhile or left its content beside it).
bool SourceFailed(const JobResult& result) {
    if (result.outcome != JobOutcome::kFileFailed || result.atTarget)
        return false;
    return result.file != FileFailure::kChanged && result.file != FileFailure::kLeftBesideFile;
}

} // namespace

std::optional<Notice> NoticeFor(DocumentStep step, const JobResult& result) {
    if (result.done() || result.file == FileFailure::kStopped)
        return std::nullopt;
    switch (step) {
    case DocumentStep::kLoad:
        if (result.outcome == JobOutcome::kEmpty)
            return std::nullopt; // an empty file has nothing to show and needs no message
        return result.outcome == JobOutcome::kNoMemory ? Notice::Failure : Notice::OpenError;
    case DocumentStep::kPreview:
        break;
    case DocumentStep::kSave:
        return SourceFailed(result) ? Notice::OpenError : Notice::Failure;
    }
    return Notice::Failure;
}
