// Previews and saves on real files, without any window: the bytes written against the cipher
// done by hand, the checksum records, and every way a save must refuse and leave the file
// as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/file_saves.h"
#include "document/preview_reads.h"
#include "store/checksum_store.h"
#include "tests/support/files.h"
#include "tests/support/literal_cipher.h"
#include "tests/support/sample_text.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/stop_after.h"

namespace vqtest {
namespace {

std::string Shown(std::string bytes) {
    for (char& c : bytes)
        c = c == '\0' ? ' ' : c;
    return bytes;
}

// A document folder beside a store folder, with a key, as the commands use them.
class DocumentSave : public ::testing::Test {
  protected:
    std::string Doc(const std::string& name) const { return docs_.File(name); }
    std::string Store() const { return store_.WithBackslash(); }
    std::vector<std::string> Records() const { return SortedEntries(store_.Path()); }

    SaveRequest Request(const std::string& source, const std::string& target,
                        const PreviewSnapshot& preview) {
        source_ = source;
        target_ = target;
        SaveRequest request;
        request.sourcePath = source_.c_str();
        request.targetPath = target_.c_str();
        request.key = reinterpret_cast<const unsigned char*>(key_.data());
        request.keyLength = key_.size();
        request.preview = preview;
        return request;
    }

    PreviewSnapshot EncryptPreviewOf(const std::string& path) {
        PreviewText preview =
            ReadEncryptPreview(path.c_str(), reinterpret_cast<const unsigned char*>(key_.data()),
                               key_.size(), nullptr);
        EXPECT_EQ(FileStatus::kOk, preview.status);
        return preview.snapshot;
    }

    PreviewSnapshot DecryptPreviewOf(const std::string& path) {
        PreviewText preview =
            ReadDecryptPreview(path.c_str(), reinterpret_cast<const unsigned char*>(key_.data()),
                               key_.size(), Store().c_str(), nullptr);
        EXPECT_EQ(FileStatus::kOk, preview.status);
        return preview.snapshot;
    }

    FileStatus SaveEncrypted(const std::string& source, const std::string& target,
                             const PreviewSnapshot& preview, std::string store = "",
                             JobProgress* progress = nullptr) {
        const SaveRequest request = Request(source, target, preview);
        const SaveOutcome outcome =
            SaveEncryptedFile(request, store.empty() ? Store().c_str() : store.c_str(), progress);
        lastRecord_ = outcome.recordPath;
        return outcome.status;
    }

    FileStatus SaveDecrypted(const std::string& source, const std::string& target,
                             const PreviewSnapshot& preview, const std::string& record,
                             bool deleteRecord, JobProgress* progress = nullptr) {
        return SaveDecryptedFile(Request(source, target, preview), record.c_str(), deleteRecord,
                                 progress)
            .status;
    }

    // Encrypts `plain` into the file by preview and save, as a user would.
    std::string EncryptedDocument(const std::string& name, const std::string& plain) {
        const std::string path = Doc(name);
        EXPECT_TRUE(WriteBytes(path, plain));
        EXPECT_EQ(FileStatus::kOk, SaveEncrypted(path, path, EncryptPreviewOf(path)));
        return path;
    }

    std::string FoundRecord(std::uint32_t checksum) const {
        char path[MAX_PATH] = {};
        return FindChecksumRecord(Store().c_str(), checksum, path, sizeof path) ? path : "";
    }

    ScratchFolder docs_;
    ScratchFolder store_;
    std::string key_ = "K\xFF"
                       "ey 7";
    std::string lastRecord_;
    std::string source_;
    std::string target_;
};

TEST_F(DocumentSave, TheWholeCycleWritesExactlyTheCipherAndGivesThePlainBytesBack) {
    const std::string plain = SampleText(200000); // zero bytes and high bytes in it
    const std::string path = Doc("doc.txt");
    ASSERT_TRUE(WriteBytes(path, plain));

    const PreviewSnapshot encryptPreview = EncryptPreviewOf(path);
    EXPECT_EQ(LiteralChecksum(plain), encryptPreview.checksum);
    EXPECT_EQ(plain, ReadBytes(path).value_or("?")) << "a preview writes nothing";
    ASSERT_EQ(FileStatus::kOk, SaveEncrypted(path, path, encryptPreview));
    EXPECT_EQ(LiteralEncrypt(key_, plain) + kTrailer, ReadBytes(path).value_or("?"));
    ASSERT_EQ(std::vector<std::string>{"0.dat"}, Records());
    EXPECT_EQ(store_.File("0.dat"), lastRecord_);
    EXPECT_EQ(UpperHex8(LiteralChecksum(plain)), ReadBytes(store_.File("0.dat")).value_or("?"));

    const PreviewSnapshot decryptPreview = DecryptPreviewOf(path);
    EXPECT_EQ(LiteralChecksum(plain), decryptPreview.checksum);
    const std::string record = FoundRecord(decryptPreview.checksum);
    ASSERT_EQ(store_.File("0.dat"), record);
    ASSERT_EQ(FileStatus::kOk, SaveDecrypted(path, path, decryptPreview, record, true));
    EXPECT_EQ(plain, ReadBytes(path).value_or("?"));
    EXPECT_TRUE(Records().empty());
    EXPECT_EQ(std::vector<std::string>{"doc.txt"}, Entries(docs_.Path()));
}

TEST_F(DocumentSave, PreviewsShowZeroBytesAsSpacesAndHideTheTrailer) {
    const std::string path = Doc("doc.txt");
    ASSERT_TRUE(WriteBytes(path, std::string("a\0b", 3)));
    PreviewText encrypt = ReadEncryptPreview(
        path.c_str(), reinterpret_cast<const unsigned char*>(key_.data()), key_.size(), nullptr);
    ASSERT_EQ(FileStatus::kOk, encrypt.status);
    std::string expected = LiteralEncrypt(key_, std::string("a\0b", 3));
    for (char& c : expected)
        c = c == '\0' ? ' ' : c;
    EXPECT_EQ(expected, encrypt.text);

    ASSERT_TRUE(WriteBytes(path, LiteralEncrypt(key_, std::string("a\0b", 3)) + kTrailer));
    PreviewText decrypt =
        ReadDecryptPreview(path.c_str(), reinterpret_cast<const unsigned char*>(key_.data()),
                           key_.size(), nullptr, nullptr);
    ASSERT_EQ(FileStatus::kOk, decrypt.status);
    EXPECT_EQ("a b", decrypt.text);
    EXPECT_FALSE(decrypt.verified);

    DisplayDocument loaded = ReadDocumentForDisplay(path.c_str(), nullptr);
    ASSERT_EQ(FileStatus::kOk, loaded.status);
    EXPECT_TRUE(loaded.encrypted);
    EXPECT_EQ(expected, loaded.text);
}

TEST_F(DocumentSave, AFileShrunkBelowTheTrailerIsNotDecrypted) {
    const std::string path = Doc("doc.txt");
    ASSERT_TRUE(WriteBytes(path, "\xAD"));
    EXPECT_EQ(FileStatus::kEmpty,
              ReadDecryptPreview(path.c_str(), reinterpret_cast<const unsigned char*>("k"), 1,
                                 nullptr, nullptr)
                  .status);
    DisplayDocument loaded = ReadDocumentForDisplay(path.c_str(), nullptr);
    EXPECT_FALSE(loaded.encrypted);
}

// Mend: no half-written file. The file cannot be replaced (held open without its deletion
// shared): the save fails, the file keeps every byte, and the record goes again.
TEST_F(DocumentSave, AWriteThatFailsLeavesTheFileAndNoRecord) {
    const std::string plain = SampleText(5000);
    const std::string path = Doc("doc.txt");
    ASSERT_TRUE(WriteBytes(path, plain));
    const PreviewSnapshot preview = EncryptPreviewOf(path);
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
    const PreviewSnapshot decryptPreview = DecryptPreviewOf(encrypted);
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
    const PreviewSnapshot preview = EncryptPreviewOf(path);
    ASSERT_TRUE(WriteBytes(path, "abcdfe")); // the same checksum
    EXPECT_EQ(FileStatus::kChanged, SaveEncrypted(path, path, preview));
    EXPECT_EQ("abcdfe", ReadBytes(path).value_or("?"));
    ASSERT_TRUE(WriteBytes(path, "abcdefg"));
    EXPECT_EQ(FileStatus::kChanged, SaveEncrypted(path, path, preview));
    ASSERT_TRUE(WriteBytes(path, ""));
    EXPECT_EQ(FileStatus::kChanged, SaveEncrypted(path, path, preview));
    EXPECT_TRUE(Records().empty());

    const std::string encrypted = EncryptedDocument("enc.txt", "secret words");
    const PreviewSnapshot decryptPreview = DecryptPreviewOf(encrypted);
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
    PreviewSnapshot preview = DecryptPreviewOf(encrypted);
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
    const PreviewSnapshot preview = DecryptPreviewOf(encrypted);
    const std::string record = FoundRecord(preview.checksum);
    ASSERT_EQ(store_.File("0.dat"), record);
    ASSERT_TRUE(DeleteFileA(record.c_str()));
    char reused[MAX_PATH] = {};
    ASSERT_TRUE(WriteChecksumRecord(Store().c_str(), "00ABCDEF", reused, sizeof reused));
    ASSERT_EQ(record, std::string(reused));
    EXPECT_EQ(FileStatus::kOk, SaveDecrypted(encrypted, encrypted, preview, record, true));
    EXPECT_EQ("secret words", ReadBytes(encrypted).value_or("?"));
    EXPECT_EQ("00ABCDEF", ReadBytes(record).value_or("?"));
}

// The save holds the file it read until the new content is in place: a file that another
// program has open for writing is refused and left as it was, with no record.
TEST_F(DocumentSave, AFileOpenForWritingElsewhereIsRefused) {
    const std::string path = Doc("doc.txt");
    ASSERT_TRUE(WriteBytes(path, "somebody is writing this"));
    const PreviewSnapshot preview = EncryptPreviewOf(path);
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
    EXPECT_EQ(LiteralEncrypt(key_, plain) + kTrailer, ReadBytes(Doc("other.txt")).value_or("?"));
    EXPECT_EQ((std::vector<std::string>{"doc.txt", "other.txt"}), SortedEntries(docs_.Path()));
    EXPECT_EQ(std::vector<std::string>{"0.dat"}, Records());
}

// Neither save works without a key: an empty one would leave the bytes as they are and
// pass them off as the transform.
TEST_F(DocumentSave, BothSavesRefuseAnEmptyKey) {
    const std::string plain = "x";
    const std::string encrypted = EncryptedDocument("enc.txt", plain);
    const std::string before = ReadBytes(encrypted).value_or("?");
    const PreviewSnapshot decryptPreview = DecryptPreviewOf(encrypted);
    const std::string record = FoundRecord(decryptPreview.checksum);
    ASSERT_FALSE(record.empty());
    const PreviewSnapshot encryptPreview = EncryptPreviewOf(encrypted);
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
    EXPECT_EQ(LiteralEncrypt(key_, plain) + kTrailer, ReadBytes(Doc("copy.txt")).value_or("?"));
    EXPECT_EQ(std::vector<std::string>{"0.dat"}, Records());

    // An existing other file is replaced whole, not transformed from its own bytes.
    ASSERT_TRUE(WriteBytes(Doc("other.txt"), "some other file, longer than the loaded one"));
    ASSERT_TRUE(SetFileAttributesA(Doc("other.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
    const std::string encrypted = Doc("copy.txt");
    const PreviewSnapshot preview = DecryptPreviewOf(encrypted);
    const std::string record = FoundRecord(preview.checksum);
    ASSERT_EQ(FileStatus::kOk, SaveDecrypted(encrypted, Doc("other.txt"), preview, record, false));
    EXPECT_EQ(plain, ReadBytes(Doc("other.txt")).value_or("?"));
    EXPECT_NE(0u, GetFileAttributesA(Doc("other.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(LiteralEncrypt(key_, plain) + kTrailer, ReadBytes(encrypted).value_or("?"));
    EXPECT_EQ(std::vector<std::string>{"0.dat"}, Records());
}

// A failed save under a new name leaves no empty file of that name.
TEST_F(DocumentSave, AFailedSaveUnderANewNameLeavesNothing) {
    const std::string path = Doc("doc.txt");
    ASSERT_TRUE(WriteBytes(path, "abc"));
    const PreviewSnapshot preview = EncryptPreviewOf(path);
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
    const PreviewSnapshot preview = EncryptPreviewOf(path);
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
    const unsigned char* key = reinterpret_cast<const unsigned char*>(key_.data());
    StopAfter stopNow(0);
    EXPECT_EQ(FileStatus::kStopped,
              ReadEncryptPreview(path.c_str(), key, key_.size(), &stopNow).status);
    StopAfter stopLater(1);
    EXPECT_EQ(FileStatus::kStopped,
              ReadEncryptPreview(path.c_str(), key, key_.size(), &stopLater).status);

    const PreviewSnapshot preview = EncryptPreviewOf(path);
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
    const std::string cipher = LiteralEncrypt(key_, plain) + kTrailer;
    EXPECT_EQ(cipher, ReadBytes(path).value_or("?"));

    const PreviewText decrypt =
        ReadDecryptPreview(path.c_str(), key, key_.size(), Store().c_str(), nullptr);
    ASSERT_EQ(FileStatus::kOk, decrypt.status);
    EXPECT_TRUE(decrypt.verified);
    EXPECT_EQ(store_.File("0.dat"), decrypt.recordPath);
    EXPECT_EQ(Shown(plain.substr(0, 8193)), decrypt.text);
    StopAfter stop(1);
    EXPECT_EQ(FileStatus::kStopped,
              SaveDecrypted(path, path, decrypt.snapshot, decrypt.recordPath, true, &stop));
    EXPECT_EQ(cipher, ReadBytes(path).value_or("?"));
    EXPECT_EQ(std::vector<std::string>{"0.dat"}, Records());
    ASSERT_EQ(FileStatus::kOk,
              SaveDecrypted(path, path, decrypt.snapshot, decrypt.recordPath, true));
    EXPECT_EQ(plain, ReadBytes(path).value_or("?"));
    EXPECT_TRUE(Records().empty());
    EXPECT_EQ(std::vector<std::string>{"doc.txt"}, Entries(docs_.Path()));
}

} // namespace
} // namespace vqtest
