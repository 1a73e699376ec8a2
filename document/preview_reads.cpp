#include "document/preview_reads.h"

#include <windows.h>

#include "core/secret_key.h"
#include "document/display_text.h"
#include "platform/platform.h"
#include "store/checksum_store.h"

namespace {

// The view is handed at most its bound; one byte more tells it that the file goes on.
constexpr std::size_t kShownBytes = kViewTextBound + 1;

// Documents are opened only when they could be written, shared with other readers and
// writers, as the window has always opened them.
constexpr OpenPurpose kDocumentOpen = OpenPurpose::kReadWritable;

FileStatus StatusOf(const PreviewPass& pass) {
    return StatusOfJob(pass.outcome, pass.file, false);
}

std::string DisplayText(const std::vector<unsigned char>& bytes) {
    std::string text(bytes.begin(), bytes.end());
    ConvertForDisplay(reinterpret_cast<unsigned char*>(&text[0]), text.size());
    return text;
}

PreviewText FromPass(const PreviewPass& pass) {
    PreviewText preview;
    preview.status = StatusOf(pass);
    if (preview.status == FileStatus::kOk) {
        preview.snapshot = pass.snapshot;
        preview.text = DisplayText(pass.head);
    }
    return preview;
}

DisplayDocument ReadHead(const char* path, JobProgress* progress) {
    DisplayDocument document;
    NormaliseAttributes(path);
    const FileHead head = ReadFileHead(SystemFiles(), path, kDocumentOpen, kShownBytes, progress);
    document.status = StatusOfJob(JobOutcome::kDone, head.failure, false);
    if (document.status == FileStatus::kOk && head.size == 0)
        document.status = FileStatus::kEmpty;
    if (document.status != FileStatus::kOk)
        return document;
    document.size = head.size;
    document.encrypted = head.encrypted;
    document.text = DisplayText(head.head);
    return document;
}

PreviewText EncryptPreviewOf(const char* path, const unsigned char* key, std::size_t keyLength,
                             JobProgress* progress) {
    SecretKey secret;
    if (secret.Assign(key, keyLength) != KeyProblem::kNone)
        return PreviewText{FileStatus::kNoKey, {}, {}, false, {}};
    NormaliseAttributes(path);
    return FromPass(
        PreviewEncryption(SystemFiles(), path, kDocumentOpen, secret, kShownBytes, progress));
}

PreviewText DecryptPreviewOf(const char* path, const unsigned char* key, std::size_t keyLength,
                             const char* storeFolder, JobProgress* progress) {
    SecretKey secret;
    if (secret.Assign(key, keyLength) != KeyProblem::kNone)
        return PreviewText{FileStatus::kNoKey, {}, {}, false, {}};
    NormaliseAttributes(path);
    PreviewText preview = FromPass(
        PreviewDecryption(SystemFiles(), path, kDocumentOpen, secret, kShownBytes, progress));
    if (preview.status != FileStatus::kOk || storeFolder == nullptr)
        return preview;
    char record[MAX_PATH] = {};
    preview.verified =
        FindChecksumRecord(storeFolder, preview.snapshot.checksum, record, sizeof record);
    preview.recordPath = record;
    return preview;
}

} // namespace

DisplayDocument ReadDocumentForDisplay(const char* path, JobProgress* progress) {
    return RunFileWork<DisplayDocument>([&] { return ReadHead(path, progress); });
}

PreviewText ReadEncryptPreview(const char* path, const unsigned char* key, std::size_t keyLength,
                               JobProgress* progress) {
    return RunFileWork<PreviewText>(
        [&] { return EncryptPreviewOf(path, key, keyLength, progress); });
}

PreviewText ReadDecryptPreview(const char* path, const unsigned char* key, std::size_t keyLength,
                               const char* storeFolder, JobProgress* progress) {
    return RunFileWork<PreviewText>(
        [&] { return DecryptPreviewOf(path, key, keyLength, storeFolder, progress); });
}
