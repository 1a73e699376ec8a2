// The original format as a stream: a file is encrypted or decrypted piece by piece in bounded
// memory, since the cipher at a position depends only on the byte and the position.
#ifndef VEILQUILL_CIPHER_STREAM_H
#define VEILQUILL_CIPHER_STREAM_H

#include <cstddef>
#include <cstdint>
#include <memory>

#include "cipher/key_cipher.h"
#include "core/content_transform.h"
#include "core/secret_key.h"

// The cipher of one direction started at the beginning of a file and carried on across the
// pieces given to Apply, in order. Its table is built from the key once and wiped when the
// stream goes. A piece keeps its length.
class CipherStream final : public ContentTransform {
  public:
    CipherStream(const SecretKey& key, CipherDirection direction);
    ~CipherStream() override;
    CipherStream(const CipherStream&) = delete;
    CipherStream& operator=(const CipherStream&) = delete;

    std::size_t InputPiece() const override;
    std::size_t PieceCapacity() const override;
    bool Apply(unsigned char* piece, std::size_t& length, bool last) override;

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

#endif
