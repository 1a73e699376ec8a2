#include "document/file_saves.h"

#include "cipher/content_checksum.h"
#include "cipher/encrypted_trailer.h"
#include "cipher/key_cipher.h"
#include "document/content_fingerprint.h"
#include "store/checksum_store.h"
#include "util/number_text.h"

namespace {

// Reads the source and checks it against what the preview saw. A file that has become
// empty since its preview has changed too.
FileBytes ReadPreviewedFile(const SaveRequest& request, std::size_t spareBytes) {
    FileBytes file = ReadWholeFile(request.sourcePath, spareBytes);
    if (file.status == FileStatus::kEmpty)
        file.status = FileStatus::kChanged;
    if (file.status != FileStatus::kOk)
        return file;
    if (file.size != request.preview.size ||
        ContentFingerprint(file.block.data(), file.size) != request.preview.fingerprint)
        file.status = FileStatus::kChanged;
    return file;
}

bool HasKey(const SaveRequest& request) {
    return request.key != nullptr && request.keyLength != 0;
}

} // namespace

FileStatus SaveEncryptedFile(const SaveRequest& request, const char* storeFolder, char* recordPath,
                             std::size_t recordPathCapacity) {
    if (!HasKey(request))
        return FileStatus::kNoKey;
    if (request.preview.size > kLargestDocument - kTrailerLength)
        return FileStatus::kTooLarge;
    FileBytes file = ReadPreviewedFile(request, kTrailerLength);
    if (file.status != FileStatus::kOk)
        return file.status;
    unsigned char* data = file.block.data();
    const std::uint32_t checksum = ContentChecksum(data, file.size);
    if (checksum != request.preview.checksum)
        return FileStatus::kChanged;

    KeyCipherForward(request.key, request.keyLength, data, file.size);
    const std::size_t encryptedSize = AppendEncryptedTrailer(data, file.size);

    char checksumText[9] = {};
    HexText8(checksum, checksumText);
    if (!WriteChecksumRecord(storeFolder, checksumText, recordPath, recordPathCapacity))
        return FileStatus::kStoreFailed;
    const FileStatus written = WriteFileAtomically(request.targetPath, data, encryptedSize);
    if (written != FileStatus::kOk) {
        DeleteChecksumRecord(recordPath, checksum);
        recordPath[0] = '\0';
    }
    return written;
}

FileStatus SaveDecryptedFile(const SaveRequest& request, const char* recordPath,
                             bool deleteRecord) {
    if (!HasKey(request))
        return FileStatus::kNoKey;
    FileBytes file = ReadPreviewedFile(request, 0);
    if (file.status != FileStatus::kOk)
        return file.status;
    if (file.size < kTrailerLength)
        return FileStatus::kChanged;
    unsigned char* data = file.block.data();
    const std::size_t plainSize = LengthWithoutTrailer(file.size);
    KeyCipherInverse(request.key, request.keyLength, data, plainSize);
    if (ContentChecksum(data, plainSize) != request.preview.checksum)
        return FileStatus::kChanged;

    const FileStatus written = WriteFileAtomically(request.targetPath, data, plainSize);
    if (written == FileStatus::kOk && deleteRecord)
        DeleteChecksumRecord(recordPath, request.preview.checksum);
    return written;
}
