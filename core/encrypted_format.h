// The formats a file can be in, told from its own bytes, and for each encrypted format what
// an encryption or a decryption derives from the key. Every job takes the format as one of
// these values, so a job is written once for every format.
#ifndef VEILQUILL_ENCRYPTED_FORMAT_H
#define VEILQUILL_ENCRYPTED_FORMAT_H

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/content_transform.h"
#include "core/file_access.h"
#include "core/job_result.h"
#include "core/secret_key.h"
#include "core/strong_file.h"
#include "core/typed_key.h"

enum class FormatKind {
    kPlain,    // not encrypted: the file does not end in the trailer
    kOriginal, // the key cipher, its key checked by a record in the records folder
    kStrong,   // ChaCha20-Poly1305 in chunks, its key checked by its own header
};

// What a file's bytes say of it: its size, its format and where the body lies.
struct FileFormat {
    std::uint64_t size = 0;
    FormatKind kind = FormatKind::kPlain;
    std::uint64_t bodyStart = 0; // the encrypted or plain bytes, without header and trailer
    std::uint64_t bodyEnd = 0;
    // A strong file's header as read, and whether it was made by a newer version (or its
    // fields are damaged) or is damaged (its header check does not match, or its payload
    // cannot be whole chunks): such a file is refused before any key derivation.
    std::array<unsigned char, kStrongHeaderLength> header{};
    bool refused = false;
    bool damaged = false;

    bool encrypted() const { return kind != FormatKind::kPlain; }
};

// Reads what the format needs of the source: its end, and for a file that may be strong its
// header. A file is encrypted when it ends in the trailer; it is strong when it is also long
// enough and starts with the strong magic, and damaged when its header check does not hold
// (which needs the cryptography: without it a file with the magic is taken for whole).
[[nodiscard]] FileFailure ReadFormat(FileAccess& files, SourceFile& source, FileFormat& format);

// Opens the source for `purpose` and reads its format; kStopped when asked to stop before.
[[nodiscard]] JobResult OpenWithFormat(FileAccess& files, const std::string& path,
                                       OpenPurpose purpose, JobProgress* progress,
                                       std::unique_ptr<SourceFile>& source, FileFormat& format);

// What one encryption derives from the key, kept from a preview to its save so that the save
// writes exactly the bytes the preview showed. Wiped when it goes.
class Encryption {
  public:
    virtual ~Encryption() = default;
    // The bytes written before the first piece.
    virtual std::vector<unsigned char> Header() const = 0;
    // A pass over the plain text from its start.
    virtual std::unique_ptr<ContentTransform> Begin() const = 0;
    // Whether the key is checked by a record in the records folder (written before the
    // encrypted file is put in place).
    virtual bool KeepsRecord() const = 0;
};

// What a decryption of one file derives from the key, once the key is known to fit (or, for a
// format checked by records, before that can be known).
class Decryption {
  public:
    virtual ~Decryption() = default;
    virtual std::unique_ptr<ContentTransform> Begin() const = 0;
    // Whether only a record holding the plain text's checksum tells that the key was right.
    virtual bool CheckedByRecord() const = 0;
    // Whether it decrypts a file in `format`: one of its kind, and for a strong file the same
    // header and size it was derived from.
    virtual bool Fits(const FileFormat& format) const = 0;
};

// Why `key` cannot encrypt in `kind` (an encrypted format): kNone when it can.
KeyProblem EncryptionKeyProblem(const TypedKey& key, FormatKind kind);

// An encryption in `kind` (an encrypted format) with `key`; kNoKey without one, and
// kKeyNotInCodePage or kKeyTooLong for a key the format cannot take. Nothing is written with a
// changed key. A strong one derives its keys here, with a fresh salt and file nonce.
[[nodiscard]] JobResult PrepareEncryption(FileAccess& files, FormatKind kind, const TypedKey& key,
                                          std::unique_ptr<Encryption>& out);

// How many of the key's forms a decryption of a file in `kind` may try, one after the other,
// for a record to verify: for the original format each form of the key it looks records up
// with; 1 for the strong format, whose file checks every form itself.
std::size_t DecryptionTries(const TypedKey& key, FormatKind kind);

// A decryption of `source` in `format` (encrypted) with `key`, for the original format with
// its form `attempt` (below DecryptionTries). A strong file's key is checked here by its
// header (kWrongKey; kDamaged when the key opens its first chunk, read from `source`, but the
// key check does not match): a right key costs one key derivation, and each further form of
// the key one more, tried only after the one before failed.
[[nodiscard]] JobResult PrepareDecryption(FileAccess& files, SourceFile& source,
                                          const FileFormat& format, const TypedKey& key,
                                          std::unique_ptr<Decryption>& out,
                                          std::size_t attempt = 0);

#endif
