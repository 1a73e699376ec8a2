// The file jobs of both programs, one function per operation, in bounded memory whatever the
// file's size: what a file is (and its first bytes), the previews (the decrypt preview is
// also the key check), the encryption and the decryption into where the result goes. Each is
// one call that touches no window, takes a JobProgress (may be null) and may run on a thread
// of its own; asked to stop, a job ends with FileFailure::kStopped having changed nothing.
//
// A file encrypted in a format checked by records (the original format) always has its record
// before it is put in place. A decryption replaces its file only when the key is known to be
// right: by a record holding the plain text's checksum, which goes afterwards, or for a strong
// file by its own header and chunks, with no record involved.
#ifndef VEILQUILL_FILE_JOBS_H
#define VEILQUILL_FILE_JOBS_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/encrypted_format.h"
#include "core/file_access.h"
#include "core/job_result.h"
#include "core/record_store.h"
#include "core/typed_key.h"

// A file's format, and its first bytes without header or trailer.
struct FileHead {
    JobResult result;
    FileFormat format;
    std::vector<unsigned char> head; // at most `headLimit` bytes
};

// Reads the file's format and then at most `headLimit` bytes of its body; an empty file is
// no failure (size 0).
[[nodiscard]] FileHead ReadFileHead(FileAccess& files, const std::string& path, OpenPurpose purpose,
                                    std::size_t headLimit, JobProgress* progress);

// What a preview saw on disk, kept until its save.
struct ContentSnapshot {
    std::uint64_t size = 0;        // bytes in the file
    std::uint64_t fingerprint = 0; // RunningFingerprint of those bytes as read
    std::uint32_t checksum = 0;    // ContentChecksum of the plain text
};

// A preview: the snapshot of the whole file and the first bytes of the file to be written.
struct PreviewPass {
    JobResult result;
    ContentSnapshot snapshot;
    std::vector<unsigned char> head; // at most `headLimit` bytes of the transform
    // A decrypt preview's decryption once the key is verified, kept for its save so that the
    // key is derived once.
    std::unique_ptr<Decryption> decryption;
};

// The encrypt preview: the checksum and fingerprint of every byte, and the first `headLimit`
// bytes of the encrypted file without its trailer. An empty file is kEmpty, an encrypted one
// kAlreadyEncrypted.
[[nodiscard]] PreviewPass PreviewEncryption(FileAccess& files, const std::string& path,
                                            OpenPurpose purpose, const Encryption& encryption,
                                            std::size_t headLimit, JobProgress* progress);

// The decrypt preview, and the key check: every byte of the body decrypted and summed, the
// fingerprint of every byte. A format checked by records needs a record in `store` holding the
// checksum (result.record; kNoRecord without one, or without a store), each form of the key
// it looks records up with tried in turn until one has a record; a strong file's key is
// checked by its header and every chunk. A plain file is kNotEncrypted.
[[nodiscard]] PreviewPass PreviewDecryption(FileAccess& files, const std::string& path,
                                            OpenPurpose purpose, const TypedKey& key,
                                            RecordStore* store, std::size_t headLimit,
                                            JobProgress* progress);

// Where a save puts its result.
enum class SaveTarget {
    kSource,    // the file read itself
    kOtherFile, // another existing file, which is replaced keeping its identity
    kNewFile,   // a name that is free (taken meanwhile: kExists)
    // A stream (standard output), which cannot take back what it was given: a decryption
    // verifies the whole file in a pass of its own before the first byte goes, and an
    // encryption in a format checked by records writes its record before it.
    kStream,
};

struct Destination {
    std::string path; // empty for a stream
    SaveTarget into = SaveTarget::kSource;
    OutputStream* stream = nullptr; // kStream only
};

// Where a result goes that is written to a stream.
inline Destination StreamDestination(OutputStream& stream) {
    return Destination{std::string(), SaveTarget::kStream, &stream};
}

// Where a result written to `target` goes when `source` is read.
[[nodiscard]] Destination DestinationOf(FileAccess& files, const std::string& source,
                                        const std::string& target);

// Encrypts the file with its trailer into the destination in one read. With `expected` (what
// its preview saw) the file must still have that size, fingerprint and checksum, or nothing is
// written (kChanged); without, an empty or encrypted file is refused. A format checked by
// records gets its record in `store` just before the result is put in place; it is removed
// again when that fails (not when the result is left beside its file: that is encrypted
// too). result.record names it. Into a stream, such a format sums the file in a pass of its own
// first (unless `expected` has the sum) and stores the record before the first byte goes; the
// record goes again when the encryption does not end whole.
[[nodiscard]] JobResult Encrypt(FileAccess& files, const std::string& source,
                                const Destination& destination, const Encryption& encryption,
                                const ContentSnapshot* expected, RecordStore& store,
                                JobProgress* progress);

// Decrypts the file without header and trailer into the destination in one read, checked
// against `expected` as above. Without `expected`, a format checked by records is put in place
// only once a record in `store` verifies the key (without a store: whatever the key's first
// form gives), each form of the key tried in turn until one has a record. With it, the preview
// has verified the key and the checksum must be the same. When the result replaced the file
// itself, the record holding its checksum goes. Into a stream without `expected`, the whole file
// is first verified as the decrypt preview does it (a pass of its own), so that nothing of a
// file that does not verify reaches the stream; without a store, a format checked by records
// has nothing to verify first.
[[nodiscard]] JobResult Decrypt(FileAccess& files, const std::string& source,
                                const Destination& destination, const TypedKey& key,
                                const ContentSnapshot* expected, RecordStore* store,
                                JobProgress* progress);

// Encrypts what comes from `input` (standard input) with its trailer into the destination, a
// new file or a stream, in one read. The input is never kept as it came: it is encrypted as it
// is read, into the new file's content, or for a stream into a scratch file that is written
// out once the record (in a format checked by records) is stored. Input that is empty is
// kEmpty, input that ends in the trailer kAlreadyEncrypted, and then nothing is written.
[[nodiscard]] JobResult EncryptInput(FileAccess& files, InputStream& input,
                                     const Destination& destination, const Encryption& encryption,
                                     RecordStore& store, JobProgress* progress);

// Decrypts what comes from `input` (standard input) into the destination, a new file or a
// stream, as Decrypt does a file: the input is first read whole into a scratch file, still
// encrypted, and decrypted from there.
[[nodiscard]] JobResult DecryptInput(FileAccess& files, InputStream& input,
                                     const Destination& destination, const TypedKey& key,
                                     RecordStore* store, JobProgress* progress);

// The same with the decryption its preview derived (PreviewPass::decryption): no key is
// derived again. A file that is no longer the one it was derived for is kChanged.
[[nodiscard]] JobResult Decrypt(FileAccess& files, const std::string& source,
                                const Destination& destination, const Decryption& decryption,
                                const ContentSnapshot& expected, RecordStore* store,
                                JobProgress* progress);

#endif
