// The original format: the key cipher over the whole plain text, then the trailer; the key is
// checked by a record holding the plain text's checksum.
#ifndef VEILQUILL_ORIGINAL_FORMAT_H
#define VEILQUILL_ORIGINAL_FORMAT_H

#include "core/encrypted_format.h"

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
