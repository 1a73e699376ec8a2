#include "core/encrypted_format.h"

#include <string>

#include "cipher/encrypted_trailer.h"
#include "core/original_format.h"
#include "core/strong_format.h"

namespace {

// The strong format's cryptography; null, with the kNoLibrary result, when it cannot be had.
const StrongPrimitives* Cryptography(FileAccess& files, JobResult& missing) {
    const StrongPrimitives* primitives = files.StrongCryptography(missing.detail);
    if (primitives == nullptr)
        missing.outcome = JobOutcome::kNoLibrary;
    return primitives;
}

// Reads the header of a file that may be strong and tells whether it is: only then is the
// cryptography reached.
FileFailure ReadStrongStart(FileAccess& files, SourceFile& source, FileFormat& format,
                            const unsigned char lastTwo[kTrailerLength]) {
    if (format.size < kStrongLeastFileSize)
        return FileFailure::kNone;
    const FileFailure read = source.ReadAt(0, format.header.data(), format.header.size());
    if (read != FileFailure::kNone)
        return read;
    const StrongFileStart start{format.size, format.header.data(), format.header.size(), lastTwo};
    if (!MayBeStrongFile(start))
        return FileFailure::kNone;
    std::string problem;
    const StrongPrimitives* primitives = files.StrongCryptography(problem);
    const StrongFileState state =
        primitives != nullptr ? ClassifyStrongFile(*primitives, start) : StrongFileState::kStrong;
    if (state == StrongFileState::kNotStrong)
        return FileFailure::kNone;
    format.kind = FormatKind::kStrong;
    format.refused = state == StrongFileState::kRefused;
    format.bodyStart = kStrongHeaderLength;
    return FileFailure::kNone;
}

} // namespace

FileFailure ReadFormat(FileAccess& files, SourceFile& source, FileFormat& format) {
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
    return ReadStrongStart(files, source, format, lastTwo);
}

JobResult PrepareEncryption(FileAccess& files, FormatKind kind, const SecretKey& key,
                            std::unique_ptr<Encryption>& out) {
    out.reset();
    if (key.empty())
        return Ended(JobOutcome::kNoKey);
    switch (kind) {
    case FormatKind::kOriginal:
        out = std::make_unique<OriginalEncryption>(key);
        return Ended(JobOutcome::kDone);
    case FormatKind::kStrong: {
        JobResult missing;
        const StrongPrimitives* primitives = Cryptography(files, missing);
        if (primitives == nullptr)
            return missing;
        auto strong = std::make_unique<StrongEncryption>();
        if (!strong->Prepare(*primitives, key))
            return Ended(JobOutcome::kNoMemory);
        out = std::move(strong);
        return Ended(JobOutcome::kDone);
    }
    case FormatKind::kPlain:
        break;
    }
    return Ended(JobOutcome::kNotEncrypted);
}

JobResult PrepareDecryption(FileAccess& files, const FileFormat& format, const SecretKey& key,
                            std::unique_ptr<Decryption>& out) {
    out.reset();
    if (key.empty())
        return Ended(JobOutcome::kNoKey);
    switch (format.kind) {
    case FormatKind::kOriginal:
        out = std::make_unique<OriginalDecryption>(key);
        return Ended(JobOutcome::kDone);
    case FormatKind::kStrong: {
        JobResult missing;
        const StrongPrimitives* primitives = Cryptography(files, missing);
        if (primitives == nullptr)
            return missing;
        const unsigned char trailer[kTrailerLength] = {kTrailerFirst, kTrailerSecond};
        const StrongFileStart start{format.size, format.header.data(), format.header.size(),
                                    trailer};
        StrongPayloadLayout layout = LayoutStrongPayload(StrongPayloadLength(format.size));
        auto strong = std::make_unique<StrongDecryption>(*primitives, format, layout);
        const StrongFileState state =
            UnlockStrongFile(*primitives, key, start, strong->Keys(), layout);
        JobResult result = Ended(OutcomeOfStrongState(state));
        if (result.outcome == JobOutcome::kDamaged)
            result.damagedAt =
                StrongChunkOffset(layout.chunkCount == 0 ? 0 : layout.chunkCount - 1);
        if (result.done())
            out = std::move(strong);
        return result;
    }
    case FormatKind::kPlain:
        break;
    }
    return Ended(JobOutcome::kNotEncrypted);
}
