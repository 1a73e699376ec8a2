#include "core/document_jobs.h"

#include <algorithm>
#include <memory>

#include "cipher/encrypted_trailer.h"
#include "core/cipher_stream.h"
#include "core/content_fingerprint.h"
#include "core/encrypted_commit.h"
#include "core/piece_stream.h"

namespace {

PreviewPass PreviewFailed(FileFailure failure) {
    PreviewPass pass;
    pass.outcome = JobOutcome::kFileFailed;
    pass.file = failure;
    return pass;
}

PreviewPass PreviewOutcome(JobOutcome outcome) {
    PreviewPass pass;
    pass.outcome = outcome;
    return pass;
}

// Appends what of `data` still fits within `limit` bytes of `head`.
void KeepForView(std::vector<unsigned char>& head, std::size_t limit, const unsigned char* data,
                 std::size_t length) {
    const std::size_t room = limit - std::min(limit, head.size());
    head.insert(head.end(), data, data + std::min(room, length));
}

// One pass over the whole file: the fingerprint of every byte as read, and the plain text's
// checksum over the body (all bytes, or all but the trailer's for a decryption). A decryption
// goes over the whole body to sum it; an encryption is applied to the bytes kept only.
PreviewPass Preview(FileAccess& files, const std::string& path, OpenPurpose purpose,
                    const SecretKey& key, CipherDirection direction, std::size_t headLimit,
                    JobProgress* progress) {
    if (key.empty())
        return PreviewOutcome(JobOutcome::kNoKey);
    if (StopRequested(progress))
        return PreviewFailed(FileFailure::kStopped);
    std::unique_ptr<SourceFile> source;
    const FileFailure opened = files.OpenSource(path, purpose, source);
    if (opened != FileFailure::kNone)
        return PreviewFailed(opened);
    const bool forward = direction == CipherDirection::kForward;
    const std::uint64_t size = source->Size();
    if (size < (forward ? 1u : kTrailerLength))
        return PreviewOutcome(JobOutcome::kEmpty);
    const std::uint64_t body = forward ? size : PlainSizeOf(size);

    PreviewPass pass;
    PieceBuffer piece;
    CipherStream cipher(key, direction);
    RunningFingerprint fingerprint;
    RunningChecksum checksum;
    for (std::uint64_t offset = 0; offset < size;) {
        if (StopRequested(progress))
            return PreviewFailed(FileFailure::kStopped);
        const auto count =
            static_cast<std::size_t>(std::min<std::uint64_t>(kJobPieceSize, size - offset));
        const FileFailure read = source->ReadAt(offset, piece.data(), count);
        if (read != FileFailure::kNone)
            return PreviewFailed(read);
        fingerprint.Add(piece.data(), count);
        const auto inBody = static_cast<std::size_t>(
            offset < body ? std::min<std::uint64_t>(count, body - offset) : 0);
        if (forward) {
            checksum.Add(piece.data(), inBody);
            const std::size_t shown =
                std::min(inBody, headLimit - std::min(headLimit, pass.head.size()));
            cipher.Apply(piece.data(), shown);
        } else {
            cipher.Apply(piece.data(), inBody);
            checksum.Add(piece.data(), inBody);
        }
        KeepForView(pass.head, headLimit, piece.data(), inBody);
        offset += count;
        if (progress != nullptr)
            progress->Advance(count);
    }
    pass.snapshot = ContentSnapshot{size, fingerprint.Value(), checksum.Value()};
    return pass;
}

SaveResult SaveFailed(FileFailure failure, bool atTarget) {
    SaveResult result;
    result.job = JobResult{JobOutcome::kFileFailed, failure, {}, 0};
    result.atTarget = atTarget;
    return result;
}

SaveResult SaveOutcome(JobOutcome outcome) {
    SaveResult result;
    result.job.outcome = outcome;
    return result;
}

// Where the result goes: `holder` keeps an existing other target open (and held) while its
// new content lives.
FileFailure BeginTarget(FileAccess& files, SourceFile& source, const std::string& target,
                        SaveTarget into, std::unique_ptr<SourceFile>& holder,
                        std::unique_ptr<NewContent>& content) {
    switch (into) {
    case SaveTarget::kSource:
        return source.BeginReplacement(content);
    case SaveTarget::kOtherFile: {
        const FileFailure opened = files.OpenSource(target, OpenPurpose::kReplace, holder);
        if (opened == FileFailure::kMissing) // gone since the user agreed to replace it
            return files.BeginNewFile(target, content);
        return opened != FileFailure::kNone ? opened : holder->BeginReplacement(content);
    }
    case SaveTarget::kNewFile:
        break;
    }
    return files.BeginNewFile(target, content);
}

// Both saves: the one read of the source checked against the preview, the transform streamed
// into the target's new content, then (for an encryption) the record, then the commit.
SaveResult Save(FileAccess& files, const std::string& sourcePath, const std::string& target,
                SaveTarget into, const SecretKey& key, const ContentSnapshot& expected,
                CipherDirection direction, RecordStore* store, JobProgress* progress) {
    if (key.empty())
        return SaveOutcome(JobOutcome::kNoKey);
    if (StopRequested(progress))
        return SaveFailed(FileFailure::kStopped, false);
    std::unique_ptr<SourceFile> source;
    FileFailure failure = files.OpenSource(sourcePath, OpenPurpose::kReplace, source);
    if (failure != FileFailure::kNone)
        return SaveFailed(failure, false);
    const bool forward = direction == CipherDirection::kForward;
    const std::uint64_t size = source->Size();
    // A file that is empty, or has lost its trailer's room, has changed since its preview.
    if (size != expected.size || size < (forward ? 1u : kTrailerLength))
        return SaveFailed(FileFailure::kChanged, false);

    std::unique_ptr<SourceFile> otherTarget;
    std::unique_ptr<NewContent> content;
    failure = BeginTarget(files, *source, target, into, otherTarget, content);
    if (failure != FileFailure::kNone)
        return SaveFailed(failure, true);

    RunningChecksum checksum;
    RunningFingerprint fingerprint;
    const std::uint64_t body = forward ? size : PlainSizeOf(size);
    failure = StreamThrough(*source, body, key, direction, content.get(), checksum, &fingerprint,
                            progress);
    if (failure != FileFailure::kNone)
        return SaveFailed(failure,
                          failure != FileFailure::kReadFailed && failure != FileFailure::kStopped);
    unsigned char trailer[kTrailerLength] = {kTrailerFirst, kTrailerSecond};
    if (forward) {
        if ((failure = content->Write(trailer, kTrailerLength)) != FileFailure::kNone)
            return SaveFailed(failure, true);
    } else {
        if ((failure = source->ReadAt(body, trailer, kTrailerLength)) != FileFailure::kNone)
            return SaveFailed(failure, false);
        fingerprint.Add(trailer, kTrailerLength);
    }
    if (fingerprint.Value() != expected.fingerprint || checksum.Value() != expected.checksum)
        return SaveFailed(FileFailure::kChanged, false);
    if (StopRequested(progress))
        return SaveFailed(FileFailure::kStopped, false);

    SaveResult result;
    if (store != nullptr) {
        result.job = CommitEncrypted(*content, *store, checksum.Value());
    } else if ((failure = content->Commit()) != FileFailure::kNone) {
        result.job.outcome = JobOutcome::kFileFailed;
        result.job.file = failure;
    }
    result.job.checksum = checksum.Value();
    result.atTarget = result.job.outcome == JobOutcome::kFileFailed;
    return result;
}

} // namespace

FileHead ReadFileHead(FileAccess& files, const std::string& path, OpenPurpose purpose,
                      std::size_t headLimit, JobProgress* progress) {
    FileHead result;
    if (StopRequested(progress)) {
        result.failure = FileFailure::kStopped;
        return result;
    }
    std::unique_ptr<SourceFile> source;
    if ((result.failure = files.OpenSource(path, purpose, source)) != FileFailure::kNone)
        return result;
    result.size = source->Size();
    if (result.size >= kTrailerLength) {
        unsigned char lastTwo[kTrailerLength] = {};
        result.failure = source->ReadAt(result.size - kTrailerLength, lastTwo, kTrailerLength);
        if (result.failure != FileFailure::kNone)
            return result;
        result.encrypted = IsTrailer(lastTwo);
    }
    const std::uint64_t shown = result.encrypted ? PlainSizeOf(result.size) : result.size;
    result.head.resize(static_cast<std::size_t>(std::min<std::uint64_t>(headLimit, shown)));
    if (!result.head.empty())
        result.failure = source->ReadAt(0, result.head.data(), result.head.size());
    if (progress != nullptr)
        progress->Advance(result.size);
    return result;
}

PreviewPass PreviewEncryption(FileAccess& files, const std::string& path, OpenPurpose purpose,
                              const SecretKey& key, std::size_t headLimit, JobProgress* progress) {
    return Preview(files, path, purpose, key, CipherDirection::kForward, headLimit, progress);
}

PreviewPass PreviewDecryption(FileAccess& files, const std::string& path, OpenPurpose purpose,
                              const SecretKey& key, std::size_t headLimit, JobProgress* progress) {
    return Preview(files, path, purpose, key, CipherDirection::kInverse, headLimit, progress);
}

SaveResult SaveEncryption(FileAccess& files, const std::string& source, const std::string& target,
                          SaveTarget into, const SecretKey& key, const ContentSnapshot& expected,
                          RecordStore& store, JobProgress* progress) {
    return Save(files, source, target, into, key, expected, CipherDirection::kForward, &store,
                progress);
}

SaveResult SaveDecryption(FileAccess& files, const std::string& source, const std::string& target,
                          SaveTarget into, const SecretKey& key, const ContentSnapshot& expected,
                          JobProgress* progress) {
    return Save(files, source, target, into, key, expected, CipherDirection::kInverse, nullptr,
                progress);
}
