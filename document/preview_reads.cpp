#include "document/preview_reads.h"

#include "cipher/content_checksum.h"
#include "cipher/encrypted_trailer.h"
#include "cipher/key_cipher.h"
#include "document/content_fingerprint.h"
#include "document/display_text.h"

namespace {
// One zero byte after the file's bytes terminates the text handed to the view.
constexpr std::size_t kTerminator = 1;

// The whole file with room for the terminator; nothing is read once a stop has been asked
// for, and the progress hears of the whole file at once.
FileBytes ReadForView(const char* path, JobProgress* progress) {
    if (StopAsked(progress))
        return FileBytes{FileStatus::kStopped, {}, 0};
    FileBytes file = ReadWholeFile(path, kTerminator);
    ReportDone(progress, file.size);
    return file;
}
} // namespace

DisplayDocument ReadDocumentForDisplay(const char* path, JobProgress* progress) {
    DisplayDocument document{ReadForView(path, progress), false};
    FileBytes& file = document.file;
    if (file.status != FileStatus::kOk)
        return document;
    unsigned char* data = file.block.data();
    ConvertForDisplay(data, file.size);
    // The trailer bytes are never zero, so the conversion leaves them for the test.
    document.encrypted = HasEncryptedTrailer(data, file.size);
    if (document.encrypted) {
        data[file.size - 2] = 0;
        data[file.size - 1] = 0;
    }
    return document;
}

PreviewText ReadEncryptPreview(const char* path, const unsigned char* key, std::size_t keyLength,
                               JobProgress* progress) {
    PreviewText preview{ReadForView(path, progress), {}};
    FileBytes& file = preview.file;
    if (file.status != FileStatus::kOk)
        return preview;
    unsigned char* data = file.block.data();
    preview.snapshot.size = file.size;
    preview.snapshot.fingerprint = ContentFingerprint(data, file.size);
    preview.snapshot.checksum = ContentChecksum(data, file.size);
    KeyCipherForward(key, keyLength, data, file.size);
    ConvertForDisplay(data, file.size);
    return preview;
}

PreviewText ReadDecryptPreview(const char* path, const unsigned char* key, std::size_t keyLength,
                               JobProgress* progress) {
    PreviewText preview{ReadForView(path, progress), {}};
    FileBytes& file = preview.file;
    if (file.status != FileStatus::kOk)
        return preview;
    if (file.size < kTrailerLength) {
        file.status = FileStatus::kEmpty;
        return preview;
    }
    unsigned char* data = file.block.data();
    const std::size_t body = LengthWithoutTrailer(file.size);
    preview.snapshot.size = file.size;
    preview.snapshot.fingerprint = ContentFingerprint(data, file.size);
    KeyCipherInverse(key, keyLength, data, body);
    preview.snapshot.checksum = ContentChecksum(data, body);
    ConvertForDisplay(data, body);
    data[body] = 0; // the shown text ends before the trailer
    return preview;
}
