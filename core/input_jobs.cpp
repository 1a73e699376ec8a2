// The jobs that read standard input. An encryption encrypts it as it comes; a decryption reads
// it whole into a scratch file, still as it came, and decrypts from there: the jobs that read
// a file twice (a verification before a stream gets anything) read the scratch file as they
// read any other.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "cipher/encrypted_trailer.h"
#include "core/file_jobs.h"
#include "core/job_destination.h"
#include "core/piece_stream.h"

namespace {

// The name the scratch file goes by among the files; no file has an empty name.
const std::string kSpoolName;

// The scratch file as a source: read only, never replaced.
class SpoolSource final : public SourceFile {
  public:
    explicit SpoolSource(ScratchFile& spool) : spool_(spool) {}
    std::uint64_t Size() const override { return spool_.Size(); }
    FileFailure ReadAt(std::uint64_t offset, unsigned char* data, std::size_t length) override {
        return spool_.ReadAt(offset, data, length);
    }
    FileFailure BeginReplacement(std::unique_ptr<NewContent>&) override {
        return FileFailure::kNoAccess;
    }

  private:
    ScratchFile& spool_;
};

// The system's files with the scratch file among them, under kSpoolName.
class SpooledFiles final : public FileAccess {
  public:
    SpooledFiles(FileAccess& files, ScratchFile& spool) : files_(files), spool_(spool) {}
    FileFailure OpenSource(const std::string& path, OpenPurpose purpose,
                           std::unique_ptr<SourceFile>& out) override {
        if (path != kSpoolName)
            return files_.OpenSource(path, purpose, out);
        out = std::make_unique<SpoolSource>(spool_);
        return FileFailure::kNone;
    }
    FileFailure BeginNewFile(const std::string& path, std::unique_ptr<NewContent>& out) override {
        return files_.BeginNewFile(path, out);
    }
    FileFailure BeginScratchFile(std::unique_ptr<ScratchFile>& out) override {
        return files_.BeginScratchFile(out);
    }
    bool SameFile(const std::string& first, const std::string& second) override {
        if (first == kSpoolName || second == kSpoolName)
            return first == second;
        return files_.SameFile(first, second);
    }
    bool Exists(const std::string& path) override {
        return path == kSpoolName || files_.Exists(path);
    }
    const StrongPrimitives* StrongCryptography(std::string& problem) override {
        return files_.StrongCryptography(problem);
    }

  private:
    FileAccess& files_;
    ScratchFile& spool_;
};

// Reads the whole input into the scratch file.
JobResult Spool(InputStream& input, ScratchFile& spool, JobProgress* progress) {
    std::vector<unsigned char> piece(kJobPieceSize);
    for (;;) {
        if (StopRequested(progress))
            return FailedAt(FileFailure::kStopped, false);
        std::size_t got = 0;
        const FileFailure read = ReadWhole(input, piece.data(), piece.size(), got);
        if (read != FileFailure::kNone)
            return FailedAt(read, false);
        if (got == 0)
            return Ended(JobOutcome::kDone);
        const FileFailure written = spool.Write(piece.data(), got);
        if (written != FileFailure::kNone)
            return FailedAt(written, true);
        if (progress != nullptr)
            progress->Advance(got);
    }
}

} // namespace

JobResult DecryptInput(FileAccess& files, InputStream& input, const Destination& destination,
                       const TypedKey& key, RecordStore* store, JobProgress* progress) {
    if (key.empty())
        return Ended(JobOutcome::kNoKey);
    std::unique_ptr<ScratchFile> spool;
    const FileFailure begun = files.BeginScratchFile(spool);
    if (begun != FileFailure::kNone)
        return FailedAt(begun, true);
    const JobResult spooled = Spool(input, *spool, progress);
    if (!spooled.done())
        return spooled;
    SpooledFiles withInput(files, *spool);
    return Decrypt(withInput, kSpoolName, destination, key, nullptr, store, progress);
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
                                          : CommitContent(*content, checksum);
    }
    if (result.done())
        result.written = size;
    return result;
}
