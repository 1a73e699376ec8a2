// The formats a file can be in, told from its own bytes, and for each encrypted format what
// an encryption or a decryption derives from the key. Every job takes the format as one of
// these values, so a job is written once for every format.
#ifndef VEILQUILL_ENCRYPTED_FORMAT_H
#define VEILQUILL_ENCRYPTED_FORMAT_H

#include <cstdint>
#include <memory>
#include <vector>

#include "core/content_transform.h"
#include "core/file_access.h"
#include "core/job_result.h"
#include "core/secret_key.h"

enum class FormatKind {
    kPlain,    // not encrypted: the file does not end in the trailer
    kOriginal, // the key cipher, its key checked by a record in the records folder
};

// What a file's bytes say of it: its size, its format and where the body lies.
struct FileFormat {
    std::uint64_t size = 0;
    FormatKind kind = FormatKind::kPlain;
    std::uint64_t bodyStart = 0; // the encrypted or plain bytes, without header and trailer
    std::uint64_t bodyEnd = 0;

    bool encrypted() const { return kind != FormatKind::kPlain; }
};

// Reads what the format needs of the source (its end, and its start where that tells more).
// A file is encrypted when it ends in the trailer.
[[nodiscard]] FileFailure ReadFormat(SourceFile& source, FileFormat& format);

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
};

// An encryption in `kind` (an encrypted format) with `key`; kNoKey without one.
[[nodiscard]] JobResult PrepareEncryption(FormatKind kind, const SecretKey& key,
                                          std::unique_ptr<Encryption>& out);

// A decryption of the source in `format` (encrypted) with `key`.
[[nodiscard]] JobResult PrepareDecryption(SourceFile& source, const FileFormat& format,
                                          const SecretKey& key, std::unique_ptr<Decryption>& out);

#endif
