#include "document/file_saves.h"

#include "cipher/content_checksum.h"
#include "cipher/encrypted_trailer.h"
#include "cipher/key_cipher.h"
#include "document/content_fingerprint.h"
#include "document/file_replacement.h"
#include "store/checksum_store.h"
#include "util/number_text.h"

namespace {

// Reads the source and checks it against what the preview saw; it stays held against other
// writers until the result is returned. A file that has become empty since its preview has
// changed too.
HeldFile ReadPreviewedFile(const SaveRequest& request, std::size_t spareBytes) {
    HeldFile source = ReadHeldFile(request.sourcePath, spareBytes);
    FileBytes& file = source.bytes;
    if (file.status == FileStatus::kEmpty)
        file.status = FileStatus::kChanged;
    if (file.status != FileStatus::kOk)
        return source;
    if (file.size != request.preview.size ||
        ContentFingerprint(file.block.data(), file.size) != request.preview.fingerprint)
        file.status = FileStatus::kChanged;
    return source;
}

// Puts the result in place of the target; when that is the source itself, through the
// handle that holds it.
FileStatus WriteResult(const SaveRequest& request, const HeldFile& source,
                       const unsigned char* data, std::size_t size) {
    const bool sameFile = IsSameFile(request.sourcePath, request.targetPath);
    return ReplaceFileContent(request.targetPath, sameFile ? source.handle.get() : nullptr, data,
                              size);
}

bool HasKey(const SaveRequest& request) {
    return request.key != nullptr && request.keyLength != 0;
}

} // namespace

FileStatus SaveEncryptedFile(const SaveRequest& request, const char* storeFolder, char* recordPath,
                             std::size_t recordPathCapacity, JobProgress* progress) {
    if (!HasKey(request))
        return FileStatus::kNoKey;
    if (StopAsked(progress))
        return FileStatus::kStopped;
    if (request.preview.size > kLargestDocument - kTrailerLength)
        return FileStatus::kTooLarge;
    HeldFile source = ReadPreviewedFile(request, kTrailerLength);
    FileBytes& file = source.bytes;
    if (file.status != FileStatus::kOk)
        return file.status;
    unsigned char* data = file.block.data();
    const std::uint32_t checksum = ContentChecksum(data, file.size);
    if (checksum != request.preview.checksum)
        return FileStatus::kChanged;

    KeyCipherForward(request.key, request.keyLength, data, file.size);
    const std::size_t encryptedSize = AppendEncryptedTrailer(data, file.size);

    ReportDone(progress, file.size);
    if (StopAsked(progress))
        return FileStatus::kStopped;
    char checksumText[9] = {};
    HexText8(checksum, checksumText);
    if (!WriteChecksumRecord(storeFolder, checksumText, recordPath, recordPathCapacity))
        return FileStatus::kStoreFailed;
    // The record is on disk before the file changes, so an encrypted file never lacks one.
    const FileStatus written = WriteResult(request, source, data, encryptedSize);
    if (written == FileStatus::kWriteFailed) {
        DeleteChecksumRecord(recordPath, checksum);
        recordPath[0] = '\0';
    }
    return written;
}

FileStatus SaveDecryptedFile(const SaveRequest& request, const char* recordPath, bool deleteRecord,
                             JobProgress* progress) {
    if (!HasKey(request))
        return FileStatus::kNoKey;
    if (StopAsked(progress))
        return FileStatus::kStopped;
    HeldFile source = ReadPreviewedFile(request, 0);
    FileBytes& file = source.bytes;
    if (file.status != FileStatus::kOk)
        return file.status;
    if (file.size < kTrailerLength)
        return FileStatus::kChanged;
    unsigned char* data = file.block.data();
    const std::size_t plainSize = LengthWithoutTrailer(file.size);
    KeyCipherInverse(request.key, request.keyLength, data, plainSize);
    if (ContentChecksum(data, plainSize) != request.preview.checksum)
        return FileStatus::kChanged;

    ReportDone(progress, file.size);
    if (StopAsked(progress))
        return FileStatus::kStopped;
    const FileStatus written = WriteResult(request, source, data, plainSize);
    if (written == FileStatus::kOk && deleteRecord)
        DeleteChecksumRecord(recordPath, request.preview.checksum);
    return written;
}
