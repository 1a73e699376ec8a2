#include "core/file_jobs.h"

#include <algorithm>

#include "cipher/encrypted_trailer.h"
#include "core/cipher_stream.h"
#include "core/encrypted_commit.h"
#include "core/piece_stream.h"

namespace {

JobResult Failed(FileFailure failure) {
    return JobResult{JobOutcome::kFileFailed, failure, {}};
}

JobResult Outcome(JobOutcome outcome) {
    return JobResult{outcome, FileFailure::kNone, {}};
}

// Whether the source ends in the trailer; kReadFailed when its end cannot be read.
FileFailure ReadTrailerState(SourceFile& source, bool& encrypted) {
    encrypted = false;
    const std::uint64_t size = source.Size();
    if (size < kTrailerLength)
        return FileFailure::kNone;
    unsigned char lastTwo[kTrailerLength] = {};
    const FileFailure read = source.ReadAt(size - kTrailerLength, lastTwo, kTrailerLength);
    if (read == FileFailure::kNone)
        encrypted = IsTrailer(lastTwo);
    return read;
}

// Opens an encrypted source for a job with `key`; kNotEncrypted (as a result) when it is not.
JobResult OpenEncrypted(FileAccess& files, const std::string& path, const SecretKey& key,
                        OpenPurpose purpose, std::unique_ptr<SourceFile>& source) {
    if (key.empty())
        return Outcome(JobOutcome::kNoKey);
    FileFailure failure = files.OpenSource(path, purpose, source);
    if (failure != FileFailure::kNone)
        return Failed(failure);
    bool encrypted = false;
    if ((failure = ReadTrailerState(*source, encrypted)) != FileFailure::kNone)
        return Failed(failure);
    return encrypted ? Outcome(JobOutcome::kDone) : Outcome(JobOutcome::kNotEncrypted);
}

// Decrypts the source into `sink` (or nowhere) and looks for the record that verifies it.
JobResult DecryptAndVerify(SourceFile& source, const SecretKey& key, NewContent* sink,
                           RecordStore* store, JobProgress* progress) {
    RunningChecksum checksum;
    const FileFailure failure =
        StreamThrough(source, PlainSizeOf(source.Size()), key, CipherDirection::kInverse, sink,
                      checksum, nullptr, progress);
    if (failure != FileFailure::kNone)
        return Failed(failure);
    JobResult result{JobOutcome::kDone, FileFailure::kNone, {}, checksum.Value()};
    if (store == nullptr)
        return result;
    std::optional<std::string> record = store->Find(checksum.Value());
    if (!record)
        result.outcome = JobOutcome::kNoRecord;
    else
        result.record = *record;
    return result;
}

// Decrypts the source into `content` and puts it in place once a record verifies the key
// (or at once, without a store).
JobResult DecryptInto(SourceFile& source, const SecretKey& key, NewContent& content,
                      RecordStore* store, JobProgress* progress) {
    JobResult verified = DecryptAndVerify(source, key, &content, store, progress);
    if (verified.outcome != JobOutcome::kDone)
        return verified;
    const FileFailure committed = content.Commit();
    return committed == FileFailure::kNone ? verified : Failed(committed);
}

} // namespace

FileFailure ReadFileState(FileAccess& files, const std::string& path, FileState& state) {
    std::unique_ptr<SourceFile> source;
    FileFailure failure = files.OpenSource(path, OpenPurpose::kRead, source);
    if (failure != FileFailure::kNone)
        return failure;
    state.size = source->Size();
    return ReadTrailerState(*source, state.encrypted);
}

JobResult EncryptInPlace(FileAccess& files, const std::string& path, const SecretKey& key,
                         RecordStore& store, JobProgress* progress) {
    if (key.empty())
        return Outcome(JobOutcome::kNoKey);
    std::unique_ptr<SourceFile> source;
    FileFailure failure = files.OpenSource(path, OpenPurpose::kReplace, source);
    if (failure != FileFailure::kNone)
        return Failed(failure);
    if (source->Size() == 0)
        return Outcome(JobOutcome::kEmpty);
    bool encrypted = false;
    if ((failure = ReadTrailerState(*source, encrypted)) != FileFailure::kNone)
        return Failed(failure);
    if (encrypted)
        return Outcome(JobOutcome::kAlreadyEncrypted);

    std::unique_ptr<NewContent> content;
    if ((failure = source->BeginReplacement(content)) != FileFailure::kNone)
        return Failed(failure);
    RunningChecksum checksum;
    failure = StreamThrough(*source, source->Size(), key, CipherDirection::kForward, content.get(),
                            checksum, nullptr, progress);
    const unsigned char trailer[kTrailerLength] = {kTrailerFirst, kTrailerSecond};
    if (failure == FileFailure::kNone)
        failure = content->Write(trailer, kTrailerLength);
    if (failure != FileFailure::kNone)
        return Failed(failure);

    return CommitEncrypted(*content, store, checksum.Value());
}

JobResult DecryptInPlace(FileAccess& files, const std::string& path, const SecretKey& key,
                         RecordStore& store, JobProgress* progress) {
    std::unique_ptr<SourceFile> source;
    JobResult opened = OpenEncrypted(files, path, key, OpenPurpose::kReplace, source);
    if (opened.outcome != JobOutcome::kDone)
        return opened;
    std::unique_ptr<NewContent> content;
    const FileFailure failure = source->BeginReplacement(content);
    if (failure != FileFailure::kNone)
        return Failed(failure);
    JobResult decrypted = DecryptInto(*source, key, *content, &store, progress);
    // The file is decrypted on disk; a record that another program has reused meanwhile
    // belongs to another file now and stays.
    if (decrypted.outcome == JobOutcome::kDone)
        store.DeleteIfHolds(decrypted.record, decrypted.checksum);
    return decrypted;
}

JobResult CheckKey(FileAccess& files, const std::string& path, const SecretKey& key,
                   RecordStore& store, JobProgress* progress) {
    std::unique_ptr<SourceFile> source;
    JobResult opened = OpenEncrypted(files, path, key, OpenPurpose::kRead, source);
    if (opened.outcome != JobOutcome::kDone)
        return opened;
    return DecryptAndVerify(*source, key, nullptr, &store, progress);
}

JobResult DecryptToNewFile(FileAccess& files, const std::string& path, const std::string& output,
                           const SecretKey& key, RecordStore* store, JobProgress* progress) {
    std::unique_ptr<SourceFile> source;
    JobResult opened = OpenEncrypted(files, path, key, OpenPurpose::kRead, source);
    if (opened.outcome != JobOutcome::kDone)
        return opened;
    std::unique_ptr<NewContent> content;
    const FileFailure failure = files.BeginNewFile(output, content);
    if (failure != FileFailure::kNone)
        return Failed(failure);
    return DecryptInto(*source, key, *content, store, progress);
}
