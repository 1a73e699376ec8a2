// The file format as a stream: a file is encrypted or decrypted piece by piece in bounded
// memory, since the cipher at a position depends only on the byte and the position.
#ifndef VEILQUILL_CIPHER_STREAM_H
#define VEILQUILL_CIPHER_STREAM_H

#include <cstddef>
#include <cstdint>
#include <memory>

#include "cipher/key_cipher.h"
#include "core/secret_key.h"

// The cipher of one direction started at the beginning of a file and carried on across the
// pieces given to Apply, in order. Its table is built from the key once and wiped when the
// stream goes.
class CipherStream {
  public:
    CipherStream(const SecretKey& key, CipherDirection direction);
    ~CipherStream();
    CipherStream(const CipherStream&) = delete;
    CipherStream& operator=(const CipherStream&) = delete;

    // Transforms the next `length` bytes of the file in place.
    void Apply(unsigned char* data, std::size_t length);
    std::uint64_t Position() const { return position_; }

  private:
    std::unique_ptr<KeyCipherTable> table_;
    std::uint64_t position_ = 0;
};

// The plain-text checksum summed piece by piece: the same value as the checksum of the whole.
class RunningChecksum {
  public:
    void Add(const unsigned char* data, std::size_t length);
    std::uint32_t Value() const { return sum_; }

  private:
    std::uint32_t sum_ = 0;
};

// The size of the plain text of an encrypted file of `size` bytes (its cipher bytes).
constexpr std::uint64_t PlainSizeOf(std::uint64_t encryptedSize) {
    return encryptedSize < 2 ? 0 : encryptedSize - 2;
}

#endif
