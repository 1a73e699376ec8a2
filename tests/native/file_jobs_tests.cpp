// The file jobs over files and records held in memory: a preview's snapshot streamed in pieces
// is the whole file's, a save checks it in its one read and refuses a changed file, and a stop
// or a failed commit leaves everything as it was.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/content_sums.h"
#include "core/file_jobs.h"
#include "platform/crypto_library.h"
#include "tests/support/delegating_primitives.h"
#include "tests/support/literal_cipher.h"
#include "tests/support/sample_text.h"
#include "tests/support/stop_after.h"

namespace vqtest {
namespace {

// Files as strings by name. A source reads the bytes as they are when it reads them, so a
// change between a preview and a save shows; a commit can be made to fail.
class MemoryFiles : public FileAccess {
  public:
    std::map<std::string, std::string> files;
    FileFailure commitFailure = FileFailure::kNone;
    int commits = 0;

    class Content : public NewContent {
      public:
        Content(MemoryFiles& owner, std::string name) : owner_(owner), name_(std::move(name)) {}
        FileFailure Write(const unsigned char* data, std::size_t length) override {
            bytes_.append(reinterpret_cast<const char*>(data), length);
            return FileFailure::kNone;
        }
        FileFailure Commit() override {
            if (owner_.commitFailure != FileFailure::kNone)
                return owner_.commitFailure;
            owner_.files[name_] = bytes_;
            ++owner_.commits;
            return FileFailure::kNone;
        }

      private:
        MemoryFiles& owner_;
        std::string name_;
        std::string bytes_;
    };

    class Source : public SourceFile {
      public:
        Source(MemoryFiles& owner, std::string name)
            : owner_(owner), name_(std::move(name)), size_(owner.files[name_].size()) {}
        std::uint64_t Size() const override { return size_; }
        FileFailure ReadAt(std::uint64_t offset, unsigned char* data, std::size_t length) override {
            const std::string& bytes = owner_.files[name_];
            if (offset + length > bytes.size())
                return FileFailure::kReadFailed;
            bytes.copy(reinterpret_cast<char*>(data), length, static_cast<std::size_t>(offset));
            return FileFailure::kNone;
        }
        FileFailure BeginReplacement(std::unique_ptr<NewContent>& out) override {
            out = std::make_unique<Content>(owner_, name_);
            return FileFailure::kNone;
        }

      private:
        MemoryFiles& owner_;
        std::string name_;
        std::uint64_t size_;
    };

    FileFailure OpenSource(const std::string& path, OpenPurpose,
                           std::unique_ptr<SourceFile>& out) override {
        if (files.count(path) == 0)
            return FileFailure::kMissing;
        out = std::make_unique<Source>(*this, path);
        return FileFailure::kNone;
    }
    FileFailure BeginNewFile(const std::string& path, std::unique_ptr<NewContent>& out) override {
        if (files.count(path) != 0)
            return FileFailure::kExists;
        out = std::make_unique<Content>(*this, path);
        return FileFailure::kNone;
    }
    FileFailure BeginScratchFile(std::unique_ptr<ScratchFile>&) override {
        return FileFailure::kWriteFailed; // no job here reads a stream
    }
    bool SameFile(const std::string& first, const std::string& second) override {
        return first == second;
    }
    bool Exists(const std::string& path) override { return files.count(path) != 0; }
    const StrongPrimitives* StrongCryptography(std::string& problem) override {
        return primitives != nullptr ? primitives : StrongPrimitivesOrProblem(problem);
    }
    const StrongPrimitives* primitives = nullptr; // the library's own when not set
};

// A session whose every chunk fails in the library.
class FailingSession : public AeadSession {
  public:
    bool Seal(const unsigned char*, const unsigned char*, std::size_t, unsigned char*) override {
        return false;
    }
    bool Open(const unsigned char*, const unsigned char*, std::size_t, unsigned char*) override {
        return false;
    }
};

// The library's primitives with its key derivation, or its chunks, failing as `failure` says.
class FailingPrimitives : public DelegatingPrimitives {
  public:
    FailingPrimitives(const StrongPrimitives& real, CryptoFailure failure, bool derivationFails)
        : DelegatingPrimitives(real), failure_(std::move(failure)),
          derivationFails_(derivationFails) {}
    bool Argon2id(const unsigned char* password, std::size_t passwordLength,
                  const unsigned char* salt, std::size_t saltLength, const Argon2Cost& cost,
                  unsigned char* out) const override {
        return !derivationFails_ && DelegatingPrimitives::Argon2id(password, passwordLength, salt,
                                                                   saltLength, cost, out);
    }
    std::unique_ptr<AeadSession> BeginAead(const unsigned char* key) const override {
        if (derivationFails_)
            return DelegatingPrimitives::BeginAead(key);
        return std::make_unique<FailingSession>();
    }
    CryptoFailure LastFailure() const override { return failure_; }

  private:
    const CryptoFailure failure_;
    const bool derivationFails_;
};

class MemoryRecords : public RecordFolder {
  public:
    std::map<std::string, std::string> records;

    class Entry : public RecordEntry {
      public:
        Entry(MemoryRecords& owner, std::string name) : owner_(owner), name_(std::move(name)) {}
        bool Read(std::string& bytes, std::size_t limit) override {
            bytes = owner_.records[name_];
            return bytes.size() <= limit;
        }
        bool Delete() override { return owner_.records.erase(name_) == 1; }

      private:
        MemoryRecords& owner_;
        std::string name_;
    };

    const std::string& Path() const override { return path_; }
    bool Exists() override { return true; }
    bool Create() override { return true; }
    bool ForEachEntry(const EntryVisitor& visit) override {
        for (const auto& record : records)
            if (!visit(FolderEntry{record.first, EntryKind::kFile, record.second.size()}))
                break;
        return true;
    }
    CreateOutcome CreateExclusive(const std::string& name, const std::string& content) override {
        return records.emplace(name, content).second ? CreateOutcome::kCreated
                                                     : CreateOutcome::kTaken;
    }
    std::unique_ptr<RecordEntry> Open(const std::string& name) override {
        return records.count(name) != 0 ? std::make_unique<Entry>(*this, name) : nullptr;
    }

  private:
    std::string path_ = "records";
};

std::uint64_t FingerprintOf(const std::string& bytes) {
    RunningFingerprint fingerprint;
    fingerprint.Add(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return fingerprint.Value();
}

std::string Text(const std::vector<unsigned char>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

constexpr std::size_t kHead = 100;

class FileJobs : public ::testing::Test {
  protected:
    void SetUp() override {
        key_.AssignBytes(reinterpret_cast<const unsigned char*>(kKeyText.data()), kKeyText.size());
        ASSERT_TRUE(PrepareEncryption(files_, FormatKind::kOriginal, key_, encryption_).done());
    }
    PreviewPass EncryptPreview(const std::string& name, JobProgress* progress = nullptr) {
        return PreviewEncryption(files_, name, OpenPurpose::kRead, *encryption_, kHead, progress);
    }
    PreviewPass DecryptPreview(const std::string& name, JobProgress* progress = nullptr) {
        return PreviewDecryption(files_, name, OpenPurpose::kRead, key_, nullptr, kHead, progress);
    }
    JobResult Save(const std::string& name, const ContentSnapshot& expected,
                   JobProgress* progress = nullptr, const std::string& target = "") {
        return Encrypt(files_, name, DestinationOf(files_, name, target.empty() ? name : target),
                       *encryption_, &expected, store_, progress);
    }

    const std::string kKeyText = "piece key";
    TypedKey key_;
    std::unique_ptr<Encryption> encryption_;
    MemoryFiles files_;
    MemoryRecords folder_;
    RecordStore store_{folder_};
};

// The fingerprint fed in pieces of any sizes is the whole's; both previews stream the file
// in pieces and give the values of the whole file at and around every piece boundary.
TEST_F(FileJobs, AStreamedSnapshotIsTheWholeFilesAtEveryPieceBoundary) {
    const std::string big = SampleText(2 * kJobPieceSize + 40);
    RunningFingerprint pieces;
    for (std::size_t at = 0, step = 1; at < big.size(); at += step, step = step * 3 % 1000 + 1)
        pieces.Add(reinterpret_cast<const unsigned char*>(big.data()) + at,
                   std::min(step, big.size() - at));
    EXPECT_EQ(FingerprintOf(big), pieces.Value());

    for (std::size_t size :
         {std::size_t{1}, std::size_t{2}, std::size_t{33}, kHead + 1, kJobPieceSize - 1,
          kJobPieceSize, kJobPieceSize + 1, kJobPieceSize + 2, 2 * kJobPieceSize + 3}) {
        SCOPED_TRACE(size);
        const std::string plain = big.substr(0, size);
        files_.files["plain"] = plain;
        const PreviewPass encrypt = EncryptPreview("plain");
        ASSERT_EQ(JobOutcome::kDone, encrypt.result.outcome);
        EXPECT_EQ(size, encrypt.snapshot.size);
        EXPECT_EQ(FingerprintOf(plain), encrypt.snapshot.fingerprint);
        EXPECT_EQ(LiteralChecksum(plain), encrypt.snapshot.checksum);
        EXPECT_EQ(LiteralEncrypt(kKeyText, plain.substr(0, kHead)), Text(encrypt.head));

        if (size < 2)
            continue;
        const std::string cipher = ExpectedEncryptedFile(kKeyText, plain.substr(0, size - 2));
        files_.files["cipher"] = cipher;
        const PreviewPass decrypt = DecryptPreview("cipher");
        ASSERT_EQ(JobOutcome::kNoRecord, decrypt.result.outcome) << "read whole, no record";
        EXPECT_EQ(size, decrypt.snapshot.size);
        EXPECT_EQ(FingerprintOf(cipher), decrypt.snapshot.fingerprint);
        EXPECT_EQ(LiteralChecksum(plain.substr(0, size - 2)), decrypt.snapshot.checksum);
        EXPECT_EQ(plain.substr(0, std::min(kHead, size - 2)), Text(decrypt.head));
    }
    files_.files["empty"] = "";
    EXPECT_EQ(JobOutcome::kEmpty, EncryptPreview("empty").result.outcome);
    files_.files["one"] = "\xAD";
    EXPECT_EQ(JobOutcome::kNotEncrypted, DecryptPreview("one").result.outcome);
}

// The head of a file, its size and whether it ends in the trailer, whose bytes are never part
// of the head.
TEST_F(FileJobs, AFilesHeadLeavesTheTrailerOut) {
    files_.files["cipher"] = "abc" + kTrailer;
    FileHead head = ReadFileHead(files_, "cipher", OpenPurpose::kRead, 10, nullptr);
    EXPECT_TRUE(head.format.encrypted());
    EXPECT_EQ(5u, head.format.size);
    EXPECT_EQ("abc", Text(head.head));
    files_.files["plain"] = std::string(50, 'x');
    head = ReadFileHead(files_, "plain", OpenPurpose::kRead, 10, nullptr);
    EXPECT_FALSE(head.format.encrypted());
    EXPECT_EQ(50u, head.format.size);
    EXPECT_EQ(std::string(10, 'x'), Text(head.head));
    EXPECT_EQ(FileFailure::kMissing,
              ReadFileHead(files_, "none", OpenPurpose::kRead, 10, nullptr).result.file);
}

// A save writes exactly the transform of what its preview saw, with the record of the plain
// text; any change since (one that keeps the checksum, a shorter file, a key that gives other
// bytes) is refused with nothing written and no record.
TEST_F(FileJobs, ASaveCommitsThePreviewAndRefusesAChangedFile) {
    const std::string plain = SampleText(kJobPieceSize + 7);
    files_.files["doc"] = plain;
    const ContentSnapshot preview = EncryptPreview("doc").snapshot;

    std::string swapped = plain;
    std::swap(swapped[10], swapped[kJobPieceSize + 3]); // the same checksum and size
    for (const std::string& changed : {swapped, plain.substr(1), std::string()}) {
        files_.files["doc"] = changed;
        const JobResult refused = Save("doc", preview);
        EXPECT_EQ(FileFailure::kChanged, refused.file);
        EXPECT_EQ(changed, files_.files["doc"]);
    }
    EXPECT_TRUE(folder_.records.empty());
    EXPECT_EQ(0, files_.commits);

    files_.files["doc"] = plain;
    const JobResult saved = Save("doc", preview);
    ASSERT_EQ(JobOutcome::kDone, saved.outcome);
    const std::string cipher = ExpectedEncryptedFile(kKeyText, plain);
    EXPECT_EQ(cipher, files_.files["doc"]);
    EXPECT_EQ("0.dat", saved.record);
    EXPECT_EQ(UpperHex8(LiteralChecksum(plain)), folder_.records["0.dat"]);

    // Decrypted under a new name with the preview's snapshot; a different checksum (another
    // key's) is refused.
    const ContentSnapshot decrypted = DecryptPreview("doc").snapshot;
    ContentSnapshot otherKey = decrypted;
    otherKey.checksum += 1;
    const Destination copy{"copy", SaveTarget::kNewFile};
    EXPECT_EQ(FileFailure::kChanged,
              Decrypt(files_, "doc", copy, key_, &otherKey, &store_, nullptr).file);
    EXPECT_EQ(0u, files_.files.count("copy"));
    ASSERT_EQ(JobOutcome::kDone,
              Decrypt(files_, "doc", copy, key_, &decrypted, &store_, nullptr).outcome);
    EXPECT_EQ(plain, files_.files["copy"]);
    EXPECT_EQ(cipher, files_.files["doc"]);
    EXPECT_EQ(1u, folder_.records.size()) << "a decrypted copy leaves the record to the original";
}

// Stopped at any piece, or failing at the commit, a save leaves the file, no record and no
// new file; only content left beside its file keeps the record that decrypts it.
TEST_F(FileJobs, AStopOrAFailedCommitLeavesEverythingAsItWas) {
    const std::string plain = SampleText(2 * kJobPieceSize + 1);
    files_.files["doc"] = plain;
    StopAfter previewStop(1);
    EXPECT_EQ(FileFailure::kStopped, EncryptPreview("doc", &previewStop).result.file);
    const ContentSnapshot preview = EncryptPreview("doc").snapshot;
    for (int pieces = 0; pieces <= 3; ++pieces) {
        StopAfter stop(pieces);
        EXPECT_EQ(FileFailure::kStopped, Save("doc", preview, &stop).file) << pieces;
        EXPECT_EQ(FileFailure::kStopped, Save("doc", preview, &stop, "new").file);
    }
    EXPECT_EQ(plain, files_.files["doc"]);
    EXPECT_EQ(1u, files_.files.size());
    EXPECT_TRUE(folder_.records.empty());

    files_.commitFailure = FileFailure::kWriteFailed;
    const JobResult failed = Save("doc", preview);
    EXPECT_EQ(FileFailure::kWriteFailed, failed.file);
    EXPECT_TRUE(failed.atTarget);
    EXPECT_TRUE(folder_.records.empty());
    files_.commitFailure = FileFailure::kLeftBesideFile;
    const JobResult leftBeside = Save("doc", preview);
    EXPECT_EQ(FileFailure::kLeftBesideFile, leftBeside.file);
    EXPECT_EQ("0.dat", leftBeside.record); // kept, and named, for the content left beside
    EXPECT_EQ(UpperHex8(LiteralChecksum(plain)), folder_.records["0.dat"]);
    EXPECT_EQ(plain, files_.files["doc"]);
}

// What the library says when it fails reaches the job's end: a lack of memory as such, any
// other failure in its own words, and a chunk the library cannot open is not a damaged file.
// Nothing is written by a job that failed so.
TEST_F(FileJobs, ALibraryFailureIsToldApartFromALackOfMemoryAndFromDamage) {
    std::string problem;
    const StrongPrimitives* real = StrongPrimitivesOrProblem(problem);
    ASSERT_NE(nullptr, real) << problem;
    std::unique_ptr<Encryption> strong;

    const FailingPrimitives noMemory(*real, {true, false, "Cannot allocate memory"}, true);
    files_.primitives = &noMemory;
    EXPECT_EQ(JobOutcome::kNoMemory,
              PrepareEncryption(files_, FormatKind::kStrong, key_, strong).outcome);
    const FailingPrimitives refused(*real, {false, false, "Invalid argument"}, true);
    files_.primitives = &refused;
    const JobResult derivation = PrepareEncryption(files_, FormatKind::kStrong, key_, strong);
    EXPECT_EQ(JobOutcome::kLibraryFailed, derivation.outcome);
    EXPECT_EQ("Invalid argument", derivation.detail);

    const std::string plain = SampleText(3 * 65536 + 5);
    files_.files["doc"] = plain;
    const FailingPrimitives failingChunks(*real, {false, false, "Invalid object"}, false);
    files_.primitives = &failingChunks;
    ASSERT_TRUE(PrepareEncryption(files_, FormatKind::kStrong, key_, strong).done());
    const JobResult sealed =
        Encrypt(files_, "doc", {"doc", SaveTarget::kSource}, *strong, nullptr, store_, nullptr);
    EXPECT_EQ(JobOutcome::kLibraryFailed, sealed.outcome);
    EXPECT_EQ("Invalid object", sealed.detail);
    EXPECT_EQ(plain, files_.files["doc"]);

    files_.primitives = real;
    ASSERT_TRUE(PrepareEncryption(files_, FormatKind::kStrong, key_, strong).done());
    ASSERT_TRUE(
        Encrypt(files_, "doc", {"doc", SaveTarget::kSource}, *strong, nullptr, store_, nullptr)
            .done());
    const std::string encrypted = files_.files["doc"];
    files_.primitives = &failingChunks;
    const JobResult opened =
        Decrypt(files_, "doc", {"doc", SaveTarget::kSource}, key_, nullptr, nullptr, nullptr);
    EXPECT_EQ(JobOutcome::kLibraryFailed, opened.outcome);
    EXPECT_EQ("Invalid object", opened.detail);
    EXPECT_EQ(encrypted, files_.files["doc"]);
    EXPECT_TRUE(folder_.records.empty());
}

} // namespace
} // namespace vqtest
