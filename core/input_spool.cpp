// Standard input read whole into a scratch file, still as it came, and decrypted from there:
// the jobs that read a file twice (a verification before a stream gets anything) read the
// scratch file as they read any other.
#include <memory>
#include <string>
#include <vector>

#include "core/file_jobs.h"
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
