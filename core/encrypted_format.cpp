#include "core/encrypted_format.h"

#include <string>

#include "cipher/encrypted_trailer.h"
#include "core/original_format.h"
#include "core/strong_format.h"

namespace {

// What preparing either way starts with: there is a key (kNoKey), the format is an encrypted
// one (kNotEncrypted), and for the strong format its cryptography can be had (`primitives`,
// kNoLibrary without it; left null for the original format).
JobResult CheckKeyAndFindCryptography(FileAccess& files, FormatKind kind, const TypedKey& key,
                                      const StrongPrimitives*& primitives) {
    primitives = nullptr;
    if (key.empty())
        return Ended(JobOutcome::kNoKey);
    if (kind == FormatKind::kPlain)
        return Ended(JobOutcome::kNotEncrypted);
    JobResult reached = Ended(JobOutcome::kDone);
    if (kind == FormatKind::kStrong &&
        (primitives = files.StrongCryptography(reached.detail)) == nullptr)
        reached.outcome = JobOutcome::kNoLibrary;
    return reached;
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
    const StrongFileStart start{format.size, format.header.data(), format.header.size(), lastTwo,
                                ByteRange{}};
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
    format.damaged =
        state == StrongFileState::kDamagedHeader || state == StrongFileState::kDamagedPayload;
    format.bodyStart = kStrongHeaderLength;
    return FileFailure::kNone;
}

JobOutcome OutcomeOfKeyProblem(KeyProblem problem) {
    switch (problem) {
    case KeyProblem::kNone:
        return JobOutcome::kDone;
    case KeyProblem::kNotInCodePage:
        return JobOutcome::kKeyNotInCodePage;
    case KeyProblem::kTooLong:
        return JobOutcome::kKeyTooLong;
    case KeyProblem::kEmpty:
    case KeyProblem::kZeroByte:
        break;
    }
    return JobOutcome::kNoKey;
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

JobResult OpenWithFormat(FileAccess& files, const std::string& path, OpenPurpose purpose,
                         JobProgress* progress, std::unique_ptr<SourceFile>& source,
                         FileFormat& format) {
    if (StopRequested(progress))
        return FailedAt(FileFailure::kStopped, false);
    FileFailure failure = files.OpenSource(path, purpose, source);
    if (failure == FileFailure::kNone)
        failure = ReadFormat(files, *source, format);
    return failure == FileFailure::kNone ? Ended(JobOutcome::kDone) : FailedAt(failure, false);
}

KeyProblem EncryptionKeyProblem(const TypedKey& key, FormatKind kind) {
    return kind == FormatKind::kStrong ? key.StrongProblem() : key.OriginalProblem();
}

JobResult PrepareEncryption(FileAccess& files, FormatKind kind, const TypedKey& key,
                            std::unique_ptr<Encryption>& out) {
    out.reset();
    const StrongPrimitives* primitives = nullptr;
    if (kind != FormatKind::kPlain && !key.empty()) {
        const JobOutcome refused = OutcomeOfKeyProblem(EncryptionKeyProblem(key, kind));
        if (refused != JobOutcome::kDone)
            return Ended(refused);
    }
    const JobResult reached = CheckKeyAndFindCryptography(files, kind, key, primitives);
    if (!reached.done())
        return reached;
    if (primitives == nullptr) {
        out = std::make_unique<OriginalEncryption>(key.OriginalKey());
        return reached;
    }
    auto strong = std::make_unique<StrongEncryption>();
    if (!strong->Prepare(*primitives, key.StrongForm(0)))
        return LibraryFailure(*primitives);
    out = std::move(strong);
    return reached;
}

std::size_t DecryptionTries(const TypedKey& key, FormatKind kind) {
    if (kind == FormatKind::kOriginal && key.OriginalLookupCount() > 1)
        return key.OriginalLookupCount();
    return 1;
}

JobResult PrepareDecryption(FileAccess& files, SourceFile& source, const FileFormat& format,
                            const TypedKey& key, std::unique_ptr<Decryption>& out,
                            std::size_t attempt) {
    out.reset();
    const StrongPrimitives* primitives = nullptr;
    const JobResult reached = CheckKeyAndFindCryptography(files, format.kind, key, primitives);
    if (!reached.done())
        return reached;
    if (primitives == nullptr) {
        if (attempt >= key.OriginalLookupCount())
            return Ended(key.OriginalLookupCount() == 0 ? JobOutcome::kKeyTooLong
                                                        : JobOutcome::kNoRecord);
        out = std::make_unique<OriginalDecryption>(key.OriginalLookup(attempt));
        return reached;
    }
    if (key.StrongFormCount() == 0)
        return Ended(OutcomeOfKeyProblem(key.StrongProblem()));
    std::vector<unsigned char> firstChunk(
        StrongPayloadLayout::OfFile(format.size).FirstChunkLength());
    if (!format.refused && !format.damaged && !firstChunk.empty()) {
        const FileFailure read =
            source.ReadAt(kStrongHeaderLength, firstChunk.data(), firstChunk.size());
        if (read != FileFailure::kNone)
            return FailedAt(read, false);
    }
    return UnlockStrongDecryption(*primitives, format,
                                  ByteRange{firstChunk.data(), firstChunk.size()}, key, out);
}
