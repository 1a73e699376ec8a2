// The jobs that write: an encryption or a decryption into where the result goes, checked in
// its one read against what its preview saw.
#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "cipher/encrypted_trailer.h"
#include "core/content_fingerprint.h"
#include "core/file_jobs.h"
#include "core/piece_stream.h"
#include "core/piece_writer.h"

namespace {

// A job's content that is its target's as soon as it is written, with nothing to commit: a
// stream's, whose bytes go out at once, or a scratch file's, which holds them until they are
// read back.
template <typename Target> class WrittenContent final : public NewContent {
  public:
    explicit WrittenContent(Target& target) : target_(target) {}
    FileFailure Write(const unsigned char* data, std::size_t length) override {
        return target_.Write(data, length);
    }
    FileFailure Commit() override { return FileFailure::kNone; }

  private:
    Target& target_;
};

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
    case SaveTarget::kStream:
        content = std::make_unique<WrittenContent<OutputStream>>(*destination.stream);
        return FileFailure::kNone;
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

// Opens the source for a job and reads its format: held to be replaced when the result goes
// in its place, only read otherwise. With `expected` the file must still have the size its
// preview saw.
JobResult OpenSource(FileAccess& files, const std::string& path, const Destination& destination,
                     const ContentSnapshot* expected, JobProgress* progress, Transfer& transfer) {
    const OpenPurpose purpose =
        destination.into == SaveTarget::kSource ? OpenPurpose::kReplace : OpenPurpose::kRead;
    const JobResult opened =
        OpenWithFormat(files, path, purpose, progress, transfer.source, transfer.format);
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

namespace {

// Writes the header, the body through the transform and the trailer into the content;
// result.written is the size of what was written.
JobResult WriteEncrypted(Transfer& transfer, const Encryption& encryption, JobSums& sums,
                         JobProgress* progress) {
    const std::vector<unsigned char> header = encryption.Header();
    if (!header.empty()) {
        const FileFailure written = transfer.content->Write(header.data(), header.size());
        if (written != FileFailure::kNone)
            return FailedAt(written, true);
    }
    const std::unique_ptr<ContentTransform> transform = encryption.Begin();
    JobResult result = WritePlainBody(transfer, *transform, sums, progress);
    if (!result.done())
        return result;
    const FileFailure written = transfer.content->Write(kTrailerBytes, kTrailerLength);
    if (written != FileFailure::kNone)
        return FailedAt(written, true);
    result.written += header.size() + kTrailerLength;
    return result;
}

// Stores the record of `checksum` in a format that keeps one, then runs `deliver`, which sends
// encrypted bytes where they cannot be taken back (a stream): so no cipher text goes out whose
// record could not be written. The record goes again when the delivery fails.
template <typename Deliver>
JobResult DeliverWithRecord(bool keepsRecord, RecordStore& store, std::uint32_t checksum,
                            Deliver&& deliver) {
    std::optional<std::string> record;
    if (keepsRecord && !(record = store.Write(checksum))) {
        JobResult result = Ended(JobOutcome::kStoreFailed);
        result.checksum = checksum;
        return result;
    }
    JobResult result = deliver();
    if (!result.done()) {
        if (record)
            store.DeleteIfHolds(*record, checksum);
        return result;
    }
    result.checksum = checksum;
    result.record = record.value_or(std::string());
    return result;
}

// Encrypts the opened source into a stream; a format checked by records has its record stored
// first from the checksum its pass before summed (`expected`).
JobResult EncryptIntoStream(Transfer& transfer, const Encryption& encryption,
                            const ContentSnapshot* expected, RecordStore& store,
                            JobProgress* progress) {
    const bool keepsRecord = encryption.KeepsRecord();
    return DeliverWithRecord(keepsRecord, store, keepsRecord ? expected->checksum : 0, [&] {
        JobSums sums(expected, false);
        JobResult result = WriteEncrypted(transfer, encryption, sums, progress);
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
    Transfer transfer;
    JobResult result = OpenSource(files, source, destination, expected, progress, transfer);
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
    if (intoStream)
        return EncryptIntoStream(transfer, encryption, expected, store, progress);
    JobSums sums(expected, encryption.KeepsRecord());
    if (!(result = WriteEncrypted(transfer, encryption, sums, progress)).done())
        return result;
    const std::uint64_t size = result.written;
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
    JobResult result = OpenSource(files, source, destination, expected, progress, transfer);
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
    Transfer transfer;
    const JobResult result = OpenSource(files, source, destination, &expected, progress, transfer);
    if (!result.done())
        return result;
    if (!decryption.Fits(transfer.format))
        return FailedAt(FileFailure::kChanged, false);
    return DecryptOpened(files, transfer, destination, decryption, &expected, store, progress);
}

namespace {

// What has come from the input so far: its size, the checksum of its plain text and its last
// two bytes.
class InputSeen {
  public:
    void Add(const unsigned char* data, std::size_t length) {
        checksum_.Add(data, length);
        for (std::size_t i = length < kTrailerLength ? 0 : length - kTrailerLength; i < length; ++i)
            lastTwo_[(size_ + i) % kTrailerLength] = data[i];
        size_ += length;
    }
    std::uint64_t Size() const { return size_; }
    std::uint32_t Checksum() const { return checksum_.Value(); }
    bool EndsInTrailer() const {
        const unsigned char inOrder[kTrailerLength] = {lastTwo_[size_ % kTrailerLength],
                                                       lastTwo_[(size_ + 1) % kTrailerLength]};
        return size_ >= kTrailerLength && IsTrailer(inOrder);
    }

  private:
    std::uint64_t size_ = 0;
    RunningChecksum checksum_;
    unsigned char lastTwo_[kTrailerLength] = {};
};

// Encrypts the input piece by piece into the content. Each piece is read whole before the one
// before it is transformed, so that the transform knows the last piece as the last.
JobResult EncryptPieces(InputStream& input, ContentTransform& transform, NewContent& content,
                        InputSeen& seen, JobProgress* progress) {
    const std::size_t inputPiece = transform.InputPiece();
    PieceBuffer pieces[2] = {PieceBuffer(transform.PieceCapacity()),
                             PieceBuffer(transform.PieceCapacity())};
    std::size_t counts[2] = {0, 0};
    int turn = 0;
    FileFailure read = ReadWhole(input, pieces[turn].data(), inputPiece, counts[turn]);
    JobResult done = Ended(JobOutcome::kDone);
    while (read == FileFailure::kNone && counts[turn] > 0) {
        if (StopRequested(progress))
            return FailedAt(FileFailure::kStopped, false);
        const int next = turn ^ 1;
        counts[next] = 0;
        if (counts[turn] == inputPiece && (read = ReadWhole(input, pieces[next].data(), inputPiece,
                                                            counts[next])) != FileFailure::kNone)
            break;
        unsigned char* piece = pieces[turn].data();
        std::size_t length = counts[turn];
        seen.Add(piece, length);
        if (progress != nullptr)
            progress->Advance(length);
        if (!transform.Apply(piece, length, counts[next] == 0))
            return transform.WhyFailed();
        const FileFailure written = content.Write(piece, length);
        if (written != FileFailure::kNone)
            return FailedAt(written, true);
        done.written += length;
        turn = next;
    }
    return read == FileFailure::kNone ? done : FailedAt(read, false);
}

// Sends the scratch file's bytes to the stream, piece by piece.
JobResult CopyOut(ScratchFile& file, OutputStream& stream, JobProgress* progress) {
    std::vector<unsigned char> piece(kJobPieceSize);
    const std::uint64_t size = file.Size();
    for (std::uint64_t at = 0; at < size;) {
        if (StopRequested(progress))
            return FailedAt(FileFailure::kStopped, false);
        const auto count =
            static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), size - at));
        const FileFailure read = file.ReadAt(at, piece.data(), count);
        if (read != FileFailure::kNone)
            return FailedAt(read, false);
        const FileFailure written = stream.Write(piece.data(), count);
        if (written != FileFailure::kNone)
            return FailedAt(written, true);
        at += count;
    }
    JobResult done = Ended(JobOutcome::kDone);
    done.written = size;
    return done;
}

} // namespace

JobResult EncryptInput(FileAccess& files, InputStream& input, const Destination& destination,
                       const Encryption& encryption, RecordStore& store, JobProgress* progress) {
    // Into a stream: a scratch file, written out once the record is stored. Into a file: its
    // new content, unnamed until its commit.
    const bool intoStream = destination.into == SaveTarget::kStream;
    std::unique_ptr<ScratchFile> scratch;
    std::unique_ptr<NewContent> content;
    FileFailure begun = FileFailure::kNone;
    if (intoStream && (begun = files.BeginScratchFile(scratch)) == FileFailure::kNone)
        content = std::make_unique<WrittenContent<ScratchFile>>(*scratch);
    else if (!intoStream)
        begun = files.BeginNewFile(destination.path, content);
    if (begun != FileFailure::kNone)
        return FailedAt(begun, true);

    const std::vector<unsigned char> header = encryption.Header();
    FileFailure written =
        header.empty() ? FileFailure::kNone : content->Write(header.data(), header.size());
    if (written != FileFailure::kNone)
        return FailedAt(written, true);
    InputSeen seen;
    const std::unique_ptr<ContentTransform> transform = encryption.Begin();
    JobResult result = EncryptPieces(input, *transform, *content, seen, progress);
    if (!result.done())
        return result;
    if (seen.Size() == 0 || seen.EndsInTrailer())
        return Ended(seen.Size() == 0 ? JobOutcome::kEmpty : JobOutcome::kAlreadyEncrypted);
    if ((written = content->Write(kTrailerBytes, kTrailerLength)) != FileFailure::kNone)
        return FailedAt(written, true);
    const std::uint64_t size = header.size() + result.written + kTrailerLength;

    const std::uint32_t checksum = seen.Checksum();
    if (intoStream) {
        RepeatedPassProgress repeated(progress);
        result = DeliverWithRecord(encryption.KeepsRecord(), store, checksum, [&] {
            return CopyOut(*scratch, *destination.stream, &repeated);
        });
    } else {
        result = encryption.KeepsRecord() ? CommitWithRecord(*content, store, checksum)
                                          : Commit(*content, checksum);
    }
    if (result.done())
        result.written = size;
    return result;
}
