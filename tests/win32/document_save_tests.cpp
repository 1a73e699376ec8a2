// The window's previews and saves through the file jobs on real files and this system's records
// folder, without any window: the bytes written against the cipher done by hand, the checksum
// records, and every way a save must refuse and leave the file as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/file_jobs.h"
#include "platform/platform.h"
#include "tests/support/files.h"
#include "tests/support/literal_cipher.h"
#include "tests/support/sample_text.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/stop_after.h"

namespace vqtest {
namespace {

// What the window makes of a job's result: the file that failed decides between an open and a
// write failure.
enum class FileStatus {
    kOk,
    kOpenFailed,
    kReadFailed,
    kChanged,
    kWriteFailed,
    kStoreFailed,
    kNoKey,
    kLeftBesideFile,
    kStopped,
    kEmpty,
};

FileStatus StatusOf(const JobResult& result) {
    switch (result.file) {
    case FileFailure::kNone:
        break;
    case FileFailure::kChanged:
        return FileStatus::kChanged;
    case FileFailure::kStopped:
        return FileStatus::kStopped;
    case FileFailure::kLeftBesideFile:
        return FileStatus::kLeftBesideFile;
    case FileFailure::kReadFailed:
        return result.atTarget ? FileStatus::kWriteFailed : FileStatus::kReadFailed;
    default:
        return result.atTarget ? FileStatus::kWriteFailed : FileStatus::kOpenFailed;
    }
    switch (result.outcome) {
    case JobOutcome::kEmpty:
        return FileStatus::kEmpty;
    case JobOutcome::kNoKey:
        return FileStatus::kNoKey;
    case JobOutcome::kStoreFailed:
        return FileStatus::kStoreFailed;
    default:
        return FileStatus::kOk;
    }
}

// A document folder beside a store folder, with a key, as the commands use them.
class DocumentSave : public ::testing::Test {
  protected:
    std::string Doc(const std::string& name) const { return docs_.File(name); }
    std::string Store() const { return store_.WithBackslash(); }
    std::vector<std::string> Records() const { return SortedEntries(store_.Path()); }

    const TypedKey& Key() {
        if (secret_.AssignBytes(reinterpret_cast<const unsigned char*>(key_.data()), key_.size()) !=
            KeyProblem::kNone)
            secret_.Clear();
        return secret_;
    }

    std::unique_ptr<Encryption> EncryptionOf() {
        std::unique_ptr<Encryption> encryption;
        (void)PrepareEncryption(SystemFiles(), FormatKind::kOriginal, Key(), encryption);
        return encryption;
    }

    PreviewPass EncryptPreview(const std::string& path, JobProgress* progress = nullptr) {
        return PreviewEncryption(SystemFiles(), path, OpenPurpose::kReadWritable, *EncryptionOf(),
                                 8193, progress);
    }

    PreviewPass DecryptPreview(const std::string& path, JobProgress* progress = nullptr) {
        std::unique_ptr<RecordFolder> folder = OpenRecordFolder(Store());
        RecordStore store(*folder);
        return PreviewDecryption(SystemFiles(), path, OpenPurpose::kReadWritable, Key(), &store,
                                 8193, progress);
    }

    ContentSnapshot EncryptPreviewOf(const std::string& path) {
        const PreviewPass preview = EncryptPreview(path);
        EXPECT_EQ(FileStatus::kOk, StatusOf(preview.result));
        return preview.snapshot;
    }

    ContentSnapshot DecryptPreviewOf(const std::string& path) {
        const PreviewPass preview = DecryptPreview(path);
        EXPECT_EQ(FileStatus::kOk, StatusOf(preview.result));
        return preview.snapshot;
    }

    FileStatus SaveEncrypted(const std::string& source, const std::string& target,
                             const ContentSnapshot& preview, std::string store = "",
                             JobProgress* progress = nullptr) {
        const std::unique_ptr<Encryption> encryption = EncryptionOf();
        if (!encryption)
            return FileStatus::kNoKey;
        const std::string folderPath = store.empty() ? Store() : store;
        std::unique_ptr<RecordFolder> folder = OpenRecordFolder(folderPath);
        RecordStore records(*folder);
        const JobResult result =
            Encrypt(SystemFiles(), source, DestinationOf(SystemFiles(), source, target),
                    *encryption, &preview, records, progress);
        lastRecord_ = result.record.empty() ? "" : folderPath + result.record;
        return StatusOf(result);
    }

    // The record is deleted only when the file itself was decrypted.
    FileStatus SaveDecrypted(const std::string& source, const std::string& target,
                             const ContentSnapshot& preview, const std::string&, bool,
                             JobProgress* progress = nullptr) {
        std::unique_ptr<RecordFolder> folder = OpenRecordFolder(Store());
        RecordStore records(*folder);
        return StatusOf(Decrypt(SystemFiles(), source, DestinationOf(SystemFiles(), source, target),
                                Key(), &preview, &records, progress));
    }

    // Encrypts `plain` into the file by preview and save, as a user would.
    std::string EncryptedDocument(const std::string& name, const std::string& plain) {
        const std::string path = Doc(name);
        EXPECT_TRUE(WriteBytes(path, plain));
        EXPECT_EQ(FileStatus::kOk, SaveEncrypted(path, path, EncryptPreviewOf(path)));
        return path;
    }

    std::string FoundRecord(std::uint32_t checksum) const {
        const std::optional<std::string> name =
            RecordStore(*OpenRecordFolder(Store())).Find(checksum);
        return name ? Store() + *name : "";
    }

    ScratchFolder docs_;
    ScratchFolder store_;
    std::string key_ = "K\xFF"
                       "ey 7";
    TypedKey secret_;
    std::string lastRecord_;
};

TEST_F(DocumentSave, TheWholeCycleWritesExactlyTheCipherAndGivesThePlainBytesBack) {
    const std::string plain = SampleText(200000); // zero bytes and high bytes in it
    const std::string path = Doc("doc.txt");
    ASSERT_TRUE(WriteBytes(path, plain));

    const ContentSnapshot encryptPreview = EncryptPreviewOf(path);
    EXPECT_EQ(LiteralChecksum(plain), encryptPreview.checksum);
    EXPECT_EQ(plain, ReadBytes(path).value_or("?")) << "a preview writes nothing";
    ASSERT_EQ(FileStatus::kOk, SaveEncrypted(path, path, encryptPreview));
    EXPECT_EQ(ExpectedEncryptedFile(key_, plain), ReadBytes(path).value_or("?"));
    ASSERT_EQ(std::vector<std::string>{"0.dat"}, Records());
    EXPECT_EQ(store_.File("0.dat"), lastRecord_);
    EXPECT_EQ(ExpectedRecord(plain), ReadBytes(store_.File("0.dat")).value_or("?"));

    const ContentSnapshot decryptPreview = DecryptPreviewOf(path);
    EXPECT_EQ(LiteralChecksum(plain), decryptPreview.checksum);
    const std::string record = FoundRecord(decryptPreview.checksum);
    ASSERT_EQ(store_.File("0.dat"), record);
    ASSERT_EQ(FileStatus::kOk, SaveDecrypted(path, path, decryptPreview, record, true));
    EXPECT_EQ(plain, ReadBytes(path).value_or("?"));
    EXPECT_TRUE(Records().empty());
    EXPECT_EQ(std::vector<std::string>{"doc.txt"}, Entries(docs_.Path()));
}

// Mend: no half-written file. The file cannot be replaced (held open without its deletion
// shared): the save fails, the file keeps every byte, and the record goes again.
TEST_F(DocumentSave, AWriteThatFailsLeavesTheFileAndNoRecord) {
    const std::string plain = SampleText(5000);
    const std::string path = Doc("doc.txt");
    ASSERT_TRUE(WriteBytes(path, plain));
    const ContentSnapshot preview = EncryptPreviewOf(path);
    UniqueHandle held = HoldOpen(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(INVALID_HANDLE_VALUE, held.get());
    EXPECT_EQ(FileStatus::kWriteFailed, SaveEncrypted(path, path, preview));
    held.reset();
    EXPECT_EQ(plain, ReadBytes(path).value_or("?"));
    EXPECT_TRUE(Records().empty());
    EXPECT_EQ(std::vector<std::string>{"doc.txt"}, Entries(docs_.Path()));

    // The same for a decrypted save: the encrypted file and its record stay.
    const std::string encrypted = EncryptedDocument("enc.txt", plain);
    const std::string before = ReadBytes(encrypted).value_or("?");
    const ContentSnapshot decryptPreview = DecryptPreviewOf(encrypted);
    const std::string record = FoundRecord(decryptPreview.checksum);
    ASSERT_FALSE(record.empty());
    ASSERT_TRUE(CreateDirectoryA(Doc("folder.txt").c_str(), nullptr));
    EXPECT_EQ(FileStatus::kWriteFailed,
              SaveDecrypted(encrypted, Doc("folder.txt"), decryptPreview, record, true));
    EXPECT_EQ(before, ReadBytes(encrypted).value_or("?"));
    EXPECT_EQ(std::vector<std::string>{"0.dat"}, Records());
}

// Mend: the record and the file agree. Without a store the file stays plain.
TEST_F(DocumentSave, AStoreThatCannotBeWrittenLeavesTheFilePlain) {
    const std::string plain = "plain text";
    const std::string path = Doc("doc.txt");
    ASSERT_TRUE(WriteBytes(path, plain));
    ASSERT_TRUE(WriteBytes(Doc("Data"), "a file where the store folder should be"));
    EXPECT_EQ(FileStatus::kStoreFailed,
              SaveEncrypted(path, path, EncryptPreviewOf(path), Doc("Data") + "\\"));
    EXPECT_EQ(plain, ReadBytes(path).value_or("?"));
    EXPECT_EQ((std::vector<std::string>{"Data", "doc.txt"}), SortedEntries(docs_.Path()));
}

// Mend: save what was previewed. A change between preview and save, even one that keeps
// the byte sum, is refused and the file is left alone.
TEST_F(DocumentSave, AFileChangedSincePreviewIsRefused) {
    const std::string path = Doc("doc.txt");
    ASSERT_TRUE(WriteBytes(path, "abcdef"));
    const ContentSnapshot preview = EncryptPreviewOf(path);
    ASSERT_TRUE(WriteBytes(path, "abcdfe")); // the same checksum
    EXPECT_EQ(FileStatus::kChanged, SaveEncrypted(path, path, preview));
    EXPECT_EQ("abcdfe", ReadBytes(path).value_or("?"));
    ASSERT_TRUE(WriteBytes(path, "abcdefg"));
    EXPECT_EQ(FileStatus::kChanged, SaveEncrypted(path, path, preview));
    ASSERT_TRUE(WriteBytes(path, ""));
    EXPECT_EQ(FileStatus::kChanged, SaveEncrypted(path, path, preview));
    EXPECT_TRUE(Records().empty());

    const std::string encrypted = EncryptedDocument("enc.txt", "secret words");
    const ContentSnapshot decryptPreview = DecryptPreviewOf(encrypted);
    const std::string record = FoundRecord(decryptPreview.checksum);
    std::string changed = ReadBytes(encrypted).value_or("?");
    std::swap(changed[0], changed[1]);
    ASSERT_TRUE(WriteBytes(encrypted, changed));
    EXPECT_EQ(FileStatus::kChanged,
              SaveDecrypted(encrypted, encrypted, decryptPreview, record, true));
    EXPECT_EQ(changed, ReadBytes(encrypted).value_or("?"));
    EXPECT_EQ(std::vector<std::string>{"0.dat"}, Records());
}

// A decrypted save needs the bytes the record verified: a snapshot whose checksum is not the
// decrypted bytes' (a key typed differently since) writes nothing.
TEST_F(DocumentSave, ADecryptedSaveNeedsTheVerifiedChecksum) {
    const std::string encrypted = EncryptedDocument("enc.txt", "secret words");
    const std::string before = ReadBytes(encrypted).value_or("?");
    ContentSnapshot preview = DecryptPreviewOf(encrypted);
    const std::string record = FoundRecord(preview.checksum);
    preview.checksum += 1;
    EXPECT_EQ(FileStatus::kChanged, SaveDecrypted(encrypted, encrypted, preview, record, true));
    EXPECT_EQ(before, ReadBytes(encrypted).value_or("?"));
    EXPECT_EQ(std::vector<std::string>{"0.dat"}, Records());
}

// Another running copy decrypted a file with the same record meanwhile and stored a
// different file's record under the freed number: the save goes through and leaves that
// record, whose file could never be decrypted without it.
TEST_F(DocumentSave, ARecordReusedSinceThePreviewIsNotDeleted) {
    const std::string encrypted = EncryptedDocument("enc.txt", "secret words");
    const ContentSnapshot preview = DecryptPreviewOf(encrypted);
    const std::string record = FoundRecord(preview.checksum);
    ASSERT_EQ(store_.File("0.dat"), record);
    ASSERT_TRUE(DeleteFileA(record.c_str()));
    const std::optional<std::string> reused =
        RecordStore(*OpenRecordFolder(Store())).Write(0x00ABCDEF);
    ASSERT_EQ(record, Store() + reused.value_or("?"));
    EXPECT_EQ(FileStatus::kOk, SaveDecrypted(encrypted, encrypted, preview, record, true));
    EXPECT_EQ("secret words", ReadBytes(encrypted).value_or("?"));
    EXPECT_EQ("00ABCDEF", ReadBytes(record).value_or("?"));
}

// The save holds the file it read until the new content is in place: a file that another
// program has open for writing is refused and left as it was, with no record.
TEST_F(DocumentSave, AFileOpenForWritingElsewhereIsRefused) {
    const std::string path = Doc("doc.txt");
    ASSERT_TRUE(WriteBytes(path, "somebody is writing this"));
    const ContentSnapshot preview = EncryptPreviewOf(path);
    {
        UniqueHandle writer(CreateFileA(path.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(writer.valid());
        EXPECT_EQ(FileStatus::kOpenFailed, SaveEncrypted(path, path, preview));
    }
    EXPECT_EQ("somebody is writing this", ReadBytes(path).value_or("?"));
    EXPECT_TRUE(Records().empty());
    EXPECT_EQ(std::vector<std::string>{"doc.txt"}, Entries(docs_.Path()));
}

// A file with two names saved onto itself is written through the handle that holds it: both
// names see the encrypted file.
TEST_F(DocumentSave, AHardLinkedFileIsEncryptedUnderEveryName) {
    const std::string plain = "one file, two names";
    ASSERT_TRUE(WriteBytes(Doc("doc.txt"), plain));
    ASSERT_TRUE(CreateHardLinkA(Doc("other.txt").c_str(), Doc("doc.txt").c_str(), nullptr));
    const std::string path = EncryptedDocument("doc.txt", plain);
    EXPECT_EQ(ExpectedEncryptedFile(key_, plain), ReadBytes(Doc("other.txt")).value_or("?"));
    EXPECT_EQ((std::vector<std::string>{"doc.txt", "other.txt"}), SortedEntries(docs_.Path()));
    EXPECT_EQ(std::vector<std::string>{"0.dat"}, Records());
}

// Neither save works without a key: an empty one would leave the bytes as they are and
// pass them off as the transform.
TEST_F(DocumentSave, BothSavesRefuseAnEmptyKey) {
    const std::string plain = "x";
    const std::string encrypted = EncryptedDocument("enc.txt", plain);
    const std::string before = ReadBytes(encrypted).value_or("?");
    const ContentSnapshot decryptPreview = DecryptPreviewOf(encrypted);
    const std::string record = FoundRecord(decryptPreview.checksum);
    ASSERT_FALSE(record.empty());
    const ContentSnapshot encryptPreview = EncryptPreviewOf(encrypted);
    key_.clear();
    EXPECT_EQ(FileStatus::kNoKey,
              SaveDecrypted(encrypted, encrypted, decryptPreview, record, true));
    EXPECT_EQ(FileStatus::kNoKey, SaveEncrypted(encrypted, encrypted, encryptPreview));
    EXPECT_EQ(before, ReadBytes(encrypted).value_or("?"));
    EXPECT_EQ(std::vector<std::string>{"0.dat"}, Records());
}

// Mend: "Save As" means save as. Another name gets the transformed loaded file; the loaded
// file stays; a decrypted copy keeps the record its encrypted original needs.
TEST_F(DocumentSave, SavingUnderAnotherNameLeavesTheLoadedFile) {
    const std::string plain = "the loaded file";
    const std::string path = Doc("doc.txt");
    ASSERT_TRUE(WriteBytes(path, plain));
    ASSERT_EQ(FileStatus::kOk, SaveEncrypted(path, Doc("copy.txt"), EncryptPreviewOf(path)));
    EXPECT_EQ(plain, ReadBytes(path).value_or("?"));
    EXPECT_EQ(ExpectedEncryptedFile(key_, plain), ReadBytes(Doc("copy.txt")).value_or("?"));
    EXPECT_EQ(std::vector<std::string>{"0.dat"}, Records());

    // An existing other file is replaced whole, not transformed from its own bytes.
    ASSERT_TRUE(WriteBytes(Doc("other.txt"), "some other file, longer than the loaded one"));
    ASSERT_TRUE(SetFileAttributesA(Doc("other.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
    const std::string encrypted = Doc("copy.txt");
    const ContentSnapshot preview = DecryptPreviewOf(encrypted);
    const std::string record = FoundRecord(preview.checksum);
    ASSERT_EQ(FileStatus::kOk, SaveDecrypted(encrypted, Doc("other.txt"), preview, record, false));
    EXPECT_EQ(plain, ReadBytes(Doc("other.txt")).value_or("?"));
    EXPECT_NE(0u, GetFileAttributesA(Doc("other.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(ExpectedEncryptedFile(key_, plain), ReadBytes(encrypted).value_or("?"));
    EXPECT_EQ(std::vector<std::string>{"0.dat"}, Records());
}

// A failed save under a new name leaves no empty file of that name.
TEST_F(DocumentSave, AFailedSaveUnderANewNameLeavesNothing) {
    const std::string path = Doc("doc.txt");
    ASSERT_TRUE(WriteBytes(path, "abc"));
    const ContentSnapshot preview = EncryptPreviewOf(path);
    ASSERT_TRUE(WriteBytes(Doc("Data"), "no store"));
    EXPECT_EQ(FileStatus::kStoreFailed,
              SaveEncrypted(path, Doc("new.txt"), preview, Doc("Data") + "\\"));
    ASSERT_TRUE(WriteBytes(path, "abd"));
    EXPECT_EQ(FileStatus::kChanged, SaveEncrypted(path, Doc("new.txt"), preview));
    EXPECT_EQ((std::vector<std::string>{"Data", "doc.txt"}), SortedEntries(docs_.Path()));
}

TEST_F(DocumentSave, AMissingLoadedFileIsAnOpenError) {
    const std::string path = Doc("doc.txt");
    ASSERT_TRUE(WriteBytes(path, "abc"));
    const ContentSnapshot preview = EncryptPreviewOf(path);
    ASSERT_TRUE(DeleteFileA(path.c_str()));
    EXPECT_EQ(FileStatus::kOpenFailed, SaveEncrypted(path, path, preview));
    EXPECT_TRUE(Entries(docs_.Path()).empty());
    EXPECT_TRUE(Records().empty());
}

// Files over one piece of work: a stop in the middle of a preview or a save ends it with
// nothing changed, no record and nothing left beside the file; left to run, the same save
// is exact across the pieces and the decrypt preview finds the record itself.
TEST_F(DocumentSave, AStoppedSaveChangesNothingAndAWholeOneIsExactAcrossPieces) {
    const std::string plain = SampleText(2 * 1024 * 1024 + 3);
    const std::string path = Doc("doc.txt");
    ASSERT_TRUE(WriteBytes(path, plain));
    StopAfter stopNow(0);
    EXPECT_EQ(FileStatus::kStopped, StatusOf(EncryptPreview(path, &stopNow).result));
    StopAfter stopLater(1);
    EXPECT_EQ(FileStatus::kStopped, StatusOf(EncryptPreview(path, &stopLater).result));

    const ContentSnapshot preview = EncryptPreviewOf(path);
    EXPECT_EQ(plain.size(), preview.size);
    EXPECT_EQ(LiteralChecksum(plain), preview.checksum);
    for (int pieces : {0, 1, 2}) {
        StopAfter stop(pieces);
        EXPECT_EQ(FileStatus::kStopped, SaveEncrypted(path, path, preview, "", &stop)) << pieces;
        EXPECT_EQ(FileStatus::kStopped, SaveEncrypted(path, Doc("new.txt"), preview, "", &stop));
    }
    EXPECT_EQ(plain, ReadBytes(path).value_or("?"));
    EXPECT_TRUE(Records().empty());
    EXPECT_EQ(std::vector<std::string>{"doc.txt"}, Entries(docs_.Path()));

    ASSERT_EQ(FileStatus::kOk, SaveEncrypted(path, path, preview));
    const std::string cipher = ExpectedEncryptedFile(key_, plain);
    EXPECT_EQ(cipher, ReadBytes(path).value_or("?"));

    const PreviewPass decrypt = DecryptPreview(path);
    ASSERT_TRUE(decrypt.result.done()) << "a record verifies the key";
    EXPECT_EQ("0.dat", decrypt.result.record);
    EXPECT_EQ(plain.substr(0, 8193), std::string(decrypt.head.begin(), decrypt.head.end()));
    const std::string record = Store() + decrypt.result.record;
    StopAfter stop(1);
    EXPECT_EQ(FileStatus::kStopped,
              SaveDecrypted(path, path, decrypt.snapshot, record, true, &stop));
    EXPECT_EQ(cipher, ReadBytes(path).value_or("?"));
    EXPECT_EQ(std::vector<std::string>{"0.dat"}, Records());
    ASSERT_EQ(FileStatus::kOk, SaveDecrypted(path, path, decrypt.snapshot, record, true));
    EXPECT_EQ(plain, ReadBytes(path).value_or("?"));
    EXPECT_TRUE(Records().empty());
    EXPECT_EQ(std::vector<std::string>{"doc.txt"}, Entries(docs_.Path()));
}

} // namespace
} // namespace vqtest
