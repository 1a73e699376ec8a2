#include "core/cipher_stream.h"

#include "cipher/content_checksum.h"

namespace {

// The table's position classes repeat every 256 bytes, so only the position modulo 256 is
// handed on; it keeps the arithmetic in std::size_t on 32-bit targets.
constexpr std::uint64_t kPositionClasses = 256;

} // namespace

CipherStream::CipherStream(const SecretKey& key, CipherDirection direction)
    : table_(new KeyCipherTable(key.data(), key.size(), direction)) {}

CipherStream::~CipherStream() {
    WipeBytes(table_.get(), sizeof(KeyCipherTable));
}

void CipherStream::Apply(unsigned char* data, std::size_t length) {
    table_->Apply(data, length, static_cast<std::size_t>(position_ % kPositionClasses));
    position_ += length;
}

void RunningChecksum::Add(const unsigned char* data, std::size_t length) {
    sum_ += ContentChecksum(data, length); // both wrap modulo 2^32, so the sums add up
}
