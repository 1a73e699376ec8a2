// The jobs that write: an encryption or a decryption into where the result goes, checked in
// its one read against what its preview saw.
#include <memory>

#include "cipher/encrypted_trailer.h"
#include "core/content_fingerprint.h"
#include "core/file_jobs.h"
#include "core/piece_stream.h"
#include "core/piece_writer.h"

namespace {

// The new content of the destination: `holder` keeps an existing other file open (and held)
// while its new content lives.
FileFailure BeginDestination(FileAccess& files, SourceFile& source, const Destination& destination,
                             std::unique_ptr<SourceFile>& holder,
                             std::unique_ptr<NewContent>& content) {
    switch (destination.into) {
    case SaveTarget::kSource:
        return source.BeginReplacement(content);
    case SaveTarget::kOtherFile: {
        const FileFailure opened =
            files.OpenSource(destination.path, OpenPurpose::kReplace, holder);
        if (opened == FileFailure::kMissing) // gone since the user agreed to replace it
            return files.BeginNewFile(destination.path, content);
        return opened != FileFailure::kNone ? opened : holder->BeginReplacement(content);
    }
    case SaveTarget::kNewFile:
        break;
    }
    return files.BeginNewFile(destination.path, content);
}

// A file job's source, its format, and the new content of its destination.
struct Transfer {
    std::unique_ptr<SourceFile> source;
    FileFormat format;
    std::unique_ptr<SourceFile> otherTarget;
    std::unique_ptr<NewContent> content;
};

// Opens the source for a job that may replace it and reads its format. With `expected` the
// file must still have the size its preview saw.
JobResult OpenSource(FileAccess& files, const std::string& path, const ContentSnapshot* expected,
                     JobProgress* progress, Transfer& transfer) {
    const JobResult opened = OpenWithFormat(files, path, OpenPurpose::kReplace, progress,
                                            transfer.source, transfer.format);
    if (opened.done() && expected != nullptr && transfer.format.size != expected->size)
        return FailedAt(FileFailure::kChanged, false);
    return opened;
}

JobResult BeginWriting(FileAccess& files, const Destination& destination, Transfer& transfer) {
    const FileFailure failure = BeginDestination(files, *transfer.source, destination,
                                                 transfer.otherTarget, transfer.content);
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
JobResult WritePlainBody(Transfer& transfer, ContentTransform& transform, JobSums& sums,
                         JobProgress* progress) {
    PieceWriter writer(*transfer.content);
    return StreamThrough(*transfer.source, {0, transfer.format.size, &transform, true}, &writer,
                         sums.Checksum(), sums.Fingerprint(), progress);
}

JobResult WriteEncryptedBody(Transfer& transfer, ContentTransform& transform, JobSums& sums,
                             JobProgress* progress) {
    PieceWriter writer(*transfer.content);
    return StreamEncryptedBody(*transfer.source, transfer.format, transform, &writer,
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

JobResult Commit(NewContent& content, std::uint32_t checksum) {
    const FileFailure failure = content.Commit();
    JobResult result =
        failure == FileFailure::kNone ? Ended(JobOutcome::kDone) : FailedAt(failure, true);
    result.checksum = checksum;
    return result;
}

// Writes the record of `checksum` (the plain text's), then commits `content`, so that an
// encrypted file never lacks its record. When the commit fails the record is removed again,
// unless the content was stranded beside the file: that is encrypted too and keeps it.
JobResult CommitWithRecord(NewContent& content, RecordStore& store, std::uint32_t checksum) {
    std::optional<std::string> record = store.Write(checksum);
    if (!record) {
        JobResult result = Ended(JobOutcome::kStoreFailed);
        result.checksum = checksum;
        return result;
    }
    JobResult result = Commit(content, checksum);
    if (!result.done() && result.file != FileFailure::kStranded) {
        store.DeleteIfHolds(*record, checksum);
        record->clear();
    }
    result.record = *record;
    return result;
}

} // namespace

Destination DestinationOf(FileAccess& files, const std::string& source, const std::string& target) {
    if (files.SameFile(source, target))
        return Destination{target, SaveTarget::kSource};
    return Destination{target,
                       files.Exists(target) ? SaveTarget::kOtherFile : SaveTarget::kNewFile};
}

JobResult Encrypt(FileAccess& files, const std::string& source, const Destination& destination,
                  const Encryption& encryption, const ContentSnapshot* expected, RecordStore& store,
                  JobProgress* progress) {
    Transfer transfer;
    JobResult result = OpenSource(files, source, expected, progress, transfer);
    if (!result.done())
        return result;
    const FileFormat& format = transfer.format;
    if (format.size == 0 || format.encrypted()) {
        if (expected != nullptr) // it was plain and had bytes at its preview
            return FailedAt(FileFailure::kChanged, false);
        return Ended(format.size == 0 ? JobOutcome::kEmpty : JobOutcome::kAlreadyEncrypted);
    }
    if (!(result = BeginWriting(files, destination, transfer)).done())
        return result;
    const std::vector<unsigned char> header = encryption.Header();
    if (!header.empty()) {
        const FileFailure written = transfer.content->Write(header.data(), header.size());
        if (written != FileFailure::kNone)
            return FailedAt(written, true);
    }
    const std::unique_ptr<ContentTransform> transform = encryption.Begin();
    JobSums sums(expected, encryption.KeepsRecord());
    if (!(result = WritePlainBody(transfer, *transform, sums, progress)).done())
        return result;
    const unsigned char trailer[kTrailerLength] = {kTrailerFirst, kTrailerSecond};
    const FileFailure written = transfer.content->Write(trailer, kTrailerLength);
    if (written != FileFailure::kNone)
        return FailedAt(written, true);
    const std::uint64_t size = header.size() + result.written + kTrailerLength;
    if (!(result = CheckAgainst(expected, sums, progress)).done())
        return result;
    const std::uint32_t checksum = sums.checksum.Value();
    result = encryption.KeepsRecord() ? CommitWithRecord(*transfer.content, store, checksum)
                                      : Commit(*transfer.content, checksum);
    result.written = size;
    return result;
}

namespace {

// Decrypts the opened source into the destination with `decryption`, which fits its format.
JobResult DecryptOpened(FileAccess& files, Transfer& transfer, const Destination& destination,
                        const Decryption& decryption, const ContentSnapshot* expected,
                        RecordStore* store, JobProgress* progress) {
    JobResult result = BeginWriting(files, destination, transfer);
    if (!result.done())
        return result;
    const bool recorded = store != nullptr && decryption.CheckedByRecord();
    JobSums sums(expected, recorded);
    const std::unique_ptr<ContentTransform> transform = decryption.Begin();
    if (!(result = WriteEncryptedBody(transfer, *transform, sums, progress)).done())
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
    if (!(result = Commit(*transfer.content, checksum)).done())
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

} // namespace

namespace {

// The decryption with the key's form `attempt`; `tries` tells how many forms there are.
JobResult DecryptWith(FileAccess& files, const std::string& source, const Destination& destination,
                      const TypedKey& key, std::size_t attempt, std::size_t& tries,
                      const ContentSnapshot* expected, RecordStore* store, JobProgress* progress) {
    Transfer transfer;
    JobResult result = OpenSource(files, source, expected, progress, transfer);
    if (!result.done())
        return result;
    if (!transfer.format.encrypted())
        return expected != nullptr ? FailedAt(FileFailure::kChanged, false)
                                   : Ended(JobOutcome::kNotEncrypted);
    tries = DecryptionTries(key, transfer.format.kind);
    std::unique_ptr<Decryption> decryption;
    if (!(result =
              PrepareDecryption(files, *transfer.source, transfer.format, key, decryption, attempt))
             .done())
        return result;
    return DecryptOpened(files, transfer, destination, *decryption, expected, store, progress);
}

} // namespace

JobResult Decrypt(FileAccess& files, const std::string& source, const Destination& destination,
                  const TypedKey& key, const ContentSnapshot* expected, RecordStore* store,
                  JobProgress* progress) {
    if (key.empty())
        return Ended(JobOutcome::kNoKey);
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
    Transfer transfer;
    const JobResult result = OpenSource(files, source, &expected, progress, transfer);
    if (!result.done())
        return result;
    if (!decryption.Fits(transfer.format))
        return FailedAt(FileFailure::kChanged, false);
    return DecryptOpened(files, transfer, destination, decryption, &expected, store, progress);
}
