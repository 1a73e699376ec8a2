// The strong format as the jobs take it: an encryption that writes the header and seals the
// plain text chunk by chunk, and a decryption that opens the chunks and hands out only what
// has verified. The key is checked by the header, so no record is involved.
#ifndef VEILQUILL_STRONG_FORMAT_H
#define VEILQUILL_STRONG_FORMAT_H

#include <array>
#include <cstdint>
#include <vector>

#include "core/encrypted_format.h"
#include "core/strong_file.h"
#include "core/strong_payload.h"

class StrongEncryption final : public Encryption {
  public:
    // Derives the keys with a fresh salt and file nonce; false when the library fails.
    [[nodiscard]] bool Prepare(const StrongPrimitives& primitives, const SecretKey& key);
    std::vector<unsigned char> Header() const override;
    std::unique_ptr<ContentTransform> Begin() const override;
    bool KeepsRecord() const override { return false; }

  private:
    const StrongPrimitives* primitives_ = nullptr;
    unsigned char header_[kStrongHeaderLength] = {};
    StrongKeys keys_;
};

class StrongDecryption final : public Decryption {
  public:
    StrongDecryption(const StrongPrimitives& primitives, const FileFormat& format,
                     const StrongPayloadLayout& layout)
        : primitives_(primitives), size_(format.size), header_(format.header), layout_(layout) {}
    StrongKeys& Keys() { return keys_; }
    std::unique_ptr<ContentTransform> Begin() const override;
    bool CheckedByRecord() const override { return false; }
    bool Fits(const FileFormat& format) const override;

  private:
    const StrongPrimitives& primitives_;
    // The file the keys were derived for.
    const std::uint64_t size_;
    const std::array<unsigned char, kStrongHeaderLength> header_;
    const StrongPayloadLayout layout_;
    StrongKeys keys_;
};

// A decryption of a strong file in `format` with `key`: the keys derived with the key's first
// form and checked by the header before any chunk is read (kWrongKey, kDamaged,
// kNewerFormat). Only when they do not match is the next form tried, one derivation each.
// `firstChunk` holds the file's chunk 0 as stored (its layout's FirstChunkLength): a key that
// opens it is right, and a key check it does not match is damaged.
[[nodiscard]] JobResult UnlockStrongDecryption(const StrongPrimitives& primitives,
                                               const FileFormat& format,
                                               const ByteRange& firstChunk, const TypedKey& key,
                                               std::unique_ptr<Decryption>& out);

// The end of a job whose cryptography failed: kNoMemory when the library lacked memory (as
// Argon2id may), otherwise kLibraryFailed with what the library said.
JobResult LibraryFailure(const StrongPrimitives& primitives);

#endif
