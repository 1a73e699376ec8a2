#include "core/encrypted_format.h"

#include "cipher/encrypted_trailer.h"
#include "core/original_format.h"

FileFailure ReadFormat(SourceFile& source, FileFormat& format) {
    format = FileFormat{};
    format.size = source.Size();
    format.bodyEnd = format.size;
    if (format.size < kTrailerLength)
        return FileFailure::kNone;
    unsigned char lastTwo[kTrailerLength] = {};
    const FileFailure read = source.ReadAt(format.size - kTrailerLength, lastTwo, kTrailerLength);
    if (read != FileFailure::kNone || !IsTrailer(lastTwo))
        return read;
    format.kind = FormatKind::kOriginal;
    format.bodyEnd = format.size - kTrailerLength;
    return FileFailure::kNone;
}

JobResult PrepareEncryption(FormatKind kind, const SecretKey& key,
                            std::unique_ptr<Encryption>& out) {
    out.reset();
    if (key.empty())
        return Ended(JobOutcome::kNoKey);
    switch (kind) {
    case FormatKind::kOriginal:
        out = std::make_unique<OriginalEncryption>(key);
        return Ended(JobOutcome::kDone);
    case FormatKind::kPlain:
        break;
    }
    return Ended(JobOutcome::kNotEncrypted);
}

JobResult PrepareDecryption(SourceFile&, const FileFormat& format, const SecretKey& key,
                            std::unique_ptr<Decryption>& out) {
    out.reset();
    if (key.empty())
        return Ended(JobOutcome::kNoKey);
    switch (format.kind) {
    case FormatKind::kOriginal:
        out = std::make_unique<OriginalDecryption>(key);
        return Ended(JobOutcome::kDone);
    case FormatKind::kPlain:
        break;
    }
    return Ended(JobOutcome::kNotEncrypted);
}
