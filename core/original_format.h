// The original format: the key cipher over the whole plain text, then the trailer; the key is
// checked by a record holding the plain text's checksum. A file is encrypted or decrypted
// piece by piece in bounded memory, since the cipher at a position depends only on the byte
// and the position.
#ifndef VEILQUILL_ORIGINAL_FORMAT_H
#define VEILQUILL_ORIGINAL_FORMAT_H

#include <memory>
#include <vector>

#include "core/content_transform.h"
#include "core/encrypted_format.h"
#include "core/secret_key.h"

class OriginalEncryption final : public Encryption {
  public:
    explicit OriginalEncryption(const SecretKey& key);
    std::vector<unsigned char> Header() const override { return {}; }
    std::unique_ptr<ContentTransform> Begin() const override;
    bool KeepsRecord() const override { return true; }

  private:
    SecretKey key_;
};

class OriginalDecryption final : public Decryption {
  public:
    explicit OriginalDecryption(const SecretKey& key);
    std::unique_ptr<ContentTransform> Begin() const override;
    bool CheckedByRecord() const override { return true; }
    bool Fits(const FileFormat& format) const override {
        return format.kind == FormatKind::kOriginal;
    }

  private:
    SecretKey key_;
};

#endif
