// The jobs that write: an encryption or a decryption into where the result goes, checked in
// its one read against what its preview saw.
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cipher/encrypted_trailer.h"
#include "core/content_sums.h"
#include "core/file_jobs.h"
#include "core/job_destination.h"
#include "core/piece_stream.h"

namespace {

// What a file job works on: its source and the source's format, and the new content of its
// destination (with the other existing file it replaces, kept open while it is written).
struct JobFiles {
    std::unique_ptr<SourceFile> source;
    FileFormat format;
    std::unique_ptr<SourceFile> otherTarget;
    std::unique_ptr<NewContent> content;
};

// Opens the source for a job and reads its format: locked against other writers to be
// replaced when the result goes in its place, only read otherwise. With `expected` the file must
// still have the size its preview saw.
JobResult OpenSource(FileAccess& files, const std::string& path, const Destination& destination,
                     const ContentSnapshot* expected, JobProgress* progress, JobFiles& jobFiles) {
    const OpenPurpose purpose =
        destination.into == SaveTarget::kSource ? OpenPurpose::kReplace : OpenPurpose::kRead;
    const JobResult opened =
        OpenWithFormat(files, path, purpose, progress, jobFiles.source, jobFiles.format);
    if (opened.done() && expected != nullptr && jobFiles.format.size != expected->size)
        return FailedAt(FileFailure::kChanged, false);
    return opened;
}

JobResult BeginWriting(FileAccess& files, const Destination& destination, JobFiles& jobFiles) {
    const FileFailure failure = BeginDestination(files, *jobFiles.source, destination,
                                                 jobFiles.otherTarget, jobFiles.content);
    return failure == FileFailure::kNone ? Ended(JobOutcome::kDone) : FailedAt(failure, true);
}

// What a write job sums as it reads. The fingerprint and the checksum tell whether the file is
// still the one its preview saw; the checksum is also what a record holds. A sum that nothing
// needs is not taken: in the strong format without a preview that is both.
struct JobSums {
    JobSums(const ContentSnapshot* expected, bool recorded)
        : checked(expected != nullptr), checksummed(checked || recorded) {}
    RunningChecksum* Checksum() { return checksummed ? &checksum : nullptr; }
    RunningFingerprint* Fingerprint() { return checked ? &fingerprint : nullptr; }

    const bool checked;
    const bool checksummed;
    RunningChecksum checksum;
    RunningFingerprint fingerprint;
};

// Streams the body through the transform into the content, on a writer thread of its own
// that has written everything once these return: a plain file's whole body, or an encrypted
// file's body between its header and trailer.
JobResult WritePlainBody(JobFiles& jobFiles, ContentTransform& transform, JobSums& sums,
                         JobProgress* progress) {
    PieceWriter writer(*jobFiles.content);
    return StreamThrough(*jobFiles.source, {0, jobFiles.format.size, &transform, true}, &writer,
                         sums.Checksum(), sums.Fingerprint(), progress);
}

JobResult WriteEncryptedBody(JobFiles& jobFiles, ContentTransform& transform, JobSums& sums,
                             JobProgress* progress) {
    PieceWriter writer(*jobFiles.content);
    return StreamEncryptedBody(*jobFiles.source, jobFiles.format, transform, &writer,
                               sums.Checksum(), sums.Fingerprint(), progress);
}

// Whether the source read was the one its preview saw; kStopped when asked to stop meanwhile.
JobResult CheckAgainst(const ContentSnapshot* expected, const JobSums& sums,
                       JobProgress* progress) {
    if (expected != nullptr && (sums.fingerprint.Value() != expected->fingerprint ||
                                sums.checksum.Value() != expected->checksum))
        return FailedAt(FileFailure::kChanged, false);
    if (StopRequested(progress))
        return FailedAt(FileFailure::kStopped, false);
    return Ended(JobOutcome::kDone);
}

// Writes the header, the body through the transform and the trailer into the content;
// result.written is the size of what was written.
JobResult WriteEncrypted(JobFiles& jobFiles, const Encryption& encryption, JobSums& sums,
                         JobProgress* progress) {
    const std::vector<unsigned char> header = encryption.Header();
    if (!header.empty()) {
        const FileFailure written = jobFiles.content->Write(header.data(), header.size());
        if (written != FileFailure::kNone)
            return FailedAt(written, true);
    }
    const std::unique_ptr<ContentTransform> transform = encryption.Begin();
    JobResult result = WritePlainBody(jobFiles, *transform, sums, progress);
    if (!result.done())
        return result;
    const FileFailure written = jobFiles.content->Write(kTrailerBytes, kTrailerLength);
    if (written != FileFailure::kNone)
        return FailedAt(written, true);
    result.written += header.size() + kTrailerLength;
    return result;
}

// Encrypts the opened source into a stream; a format checked by records has its record stored
// first from the checksum its pass before summed (`expected`).
JobResult EncryptIntoStream(JobFiles& jobFiles, const Encryption& encryption,
                            const ContentSnapshot* expected, RecordStore& store,
                            JobProgress* progress) {
    const bool keepsRecord = encryption.KeepsRecord();
    return DeliverWithRecord(keepsRecord, store, keepsRecord ? expected->checksum : 0, [&] {
        JobSums sums(expected, false);
        JobResult result = WriteEncrypted(jobFiles, encryption, sums, progress);
        const std::uint64_t size = result.written;
        if (result.done() && (result = CheckAgainst(expected, sums, progress)).done())
            result.written = size;
        return result;
    });
}

} // namespace

JobResult Encrypt(FileAccess& files, const std::string& source, const Destination& destination,
                  const Encryption& encryption, const ContentSnapshot* expected, RecordStore& store,
                  JobProgress* progress) {
    const bool intoStream = destination.into == SaveTarget::kStream;
    if (intoStream && encryption.KeepsRecord() && expected == nullptr) {
        // The record's checksum is needed before the first byte goes: a pass to sum it.
        const PreviewPass summed =
            PreviewEncryption(files, source, OpenPurpose::kRead, encryption, 0, progress);
        if (!summed.result.done())
            return summed.result;
        return Encrypt(files, source, destination, encryption, &summed.snapshot, store, progress);
    }
    JobFiles jobFiles;
    JobResult result = OpenSource(files, source, destination, expected, progress, jobFiles);
    if (!result.done())
        return result;
    const FileFormat& format = jobFiles.format;
    if (format.size == 0 || format.encrypted()) {
        if (expected != nullptr) // it was plain and had bytes at its preview
            return FailedAt(FileFailure::kChanged, false);
        return Ended(format.size == 0 ? JobOutcome::kEmpty : JobOutcome::kAlreadyEncrypted);
    }
    if (!(result = BeginWriting(files, destination, jobFiles)).done())
        return result;
    if (intoStream)
        return EncryptIntoStream(jobFiles, encryption, expected, store, progress);
    JobSums sums(expected, encryption.KeepsRecord());
    if (!(result = WriteEncrypted(jobFiles, encryption, sums, progress)).done())
        return result;
    const std::uint64_t size = result.written;
    if (!(result = CheckAgainst(expected, sums, progress)).done())
        return result;
    const std::uint32_t checksum = sums.checksum.Value();
    result = encryption.KeepsRecord() ? CommitWithRecord(*jobFiles.content, store, checksum)
                                      : CommitContent(*jobFiles.content, checksum);
    result.written = size;
    return result;
}

namespace {

// Decrypts the opened source into the destination with `decryption`, which fits its format.
JobResult DecryptOpened(FileAccess& files, JobFiles& jobFiles, const Destination& destination,
                        const Decryption& decryption, const ContentSnapshot* expected,
                        RecordStore* store, JobProgress* progress) {
    JobResult result = BeginWriting(files, destination, jobFiles);
    if (!result.done())
        return result;
    const bool recorded = store != nullptr && decryption.CheckedByRecord();
    JobSums sums(expected, recorded);
    const std::unique_ptr<ContentTransform> transform = decryption.Begin();
    if (!(result = WriteEncryptedBody(jobFiles, *transform, sums, progress)).done())
        return result;
    const std::uint64_t size = result.written;
    if (!(result = CheckAgainst(expected, sums, progress)).done())
        return result;

    // A format checked by records: the record that holds what the key gave.
    const std::uint32_t checksum = sums.checksum.Value();
    std::optional<std::string> record;
    if (recorded) {
        record = store->Find(checksum);
        if (!record && expected == nullptr) {
            result = Ended(JobOutcome::kNoRecord);
            result.checksum = checksum;
            return result;
        }
    }
    if (!(result = CommitContent(*jobFiles.content, checksum)).done())
        return result;
    result.written = size;
    // The file is decrypted on disk; a record that another program has reused meanwhile
    // belongs to another file now and stays. A decrypted copy under another name leaves the
    // record to the encrypted original.
    if (record) {
        result.record = *record;
        if (destination.into == SaveTarget::kSource)
            store->DeleteIfHolds(*record, checksum);
    }
    return result;
}

// The decryption with the key's form `attempt`; `tries` tells how many forms there are.
JobResult DecryptWith(FileAccess& files, const std::string& source, const Destination& destination,
                      const TypedKey& key, std::size_t attempt, std::size_t& tries,
                      const ContentSnapshot* expected, RecordStore* store, JobProgress* progress) {
    JobFiles jobFiles;
    JobResult result = OpenSource(files, source, destination, expected, progress, jobFiles);
    if (!result.done())
        return result;
    if (!jobFiles.format.encrypted())
        return expected != nullptr ? FailedAt(FileFailure::kChanged, false)
                                   : Ended(JobOutcome::kNotEncrypted);
    tries = DecryptionTries(key, jobFiles.format.kind);
    std::unique_ptr<Decryption> decryption;
    if (!(result =
              PrepareDecryption(files, *jobFiles.source, jobFiles.format, key, decryption, attempt))
             .done())
        return result;
    return DecryptOpened(files, jobFiles, destination, *decryption, expected, store, progress);
}

} // namespace

JobResult Decrypt(FileAccess& files, const std::string& source, const Destination& destination,
                  const TypedKey& key, const ContentSnapshot* expected, RecordStore* store,
                  JobProgress* progress) {
    if (key.empty())
        return Ended(JobOutcome::kNoKey);
    // Nothing goes into a stream before the whole file has verified: a pass to verify it.
    // Without a store, a format checked by records has nothing to verify.
    if (destination.into == SaveTarget::kStream && expected == nullptr &&
        (store != nullptr ||
         ReadFileHead(files, source, OpenPurpose::kRead, 0, nullptr).format.kind !=
             FormatKind::kOriginal)) {
        const PreviewPass verified =
            PreviewDecryption(files, source, OpenPurpose::kRead, key, store, 0, progress);
        if (!verified.result.done())
            return verified.result;
        return Decrypt(files, source, destination, *verified.decryption, verified.snapshot, store,
                       progress);
    }
    // A form no record verifies has abandoned what it wrote (kNoRecord), so the next one
    // starts afresh.
    std::size_t tries = 1;
    RepeatedPassProgress repeated(progress);
    for (std::size_t attempt = 0;; ++attempt) {
        const JobResult result =
            DecryptWith(files, source, destination, key, attempt, tries, expected, store,
                        attempt == 0 || progress == nullptr ? progress : &repeated);
        if (result.outcome != JobOutcome::kNoRecord || attempt + 1 >= tries)
            return result;
    }
}

JobResult Decrypt(FileAccess& files, const std::string& source, const Destination& destination,
                  const Decryption& decryption, const ContentSnapshot& expected, RecordStore* store,
                  JobProgress* progress) {
    JobFiles jobFiles;
    const JobResult result = OpenSource(files, source, destination, &expected, progress, jobFiles);
    if (!result.done())
        return result;
    if (!decryption.Fits(jobFiles.format))
        return FailedAt(FileFailure::kChanged, false);
    return DecryptOpened(files, jobFiles, destination, decryption, &expected, store, progress);
}
