#include "core/cipher_stream.h"

#include "cipher/content_checksum.h"
#include "core/job_result.h"

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

std::size_t CipherStream::InputPiece() const {
    return kJobPieceSize;
}

std::size_t CipherStream::PieceCapacity() const {
    return kJobPieceSize;
}

bool CipherStream::Apply(unsigned char* piece, std::size_t& length, bool) {
    table_->Apply(piece, length, static_cast<std::size_t>(position_ % kPositionClasses));
    position_ += length;
    return true;
}

void RunningChecksum::Add(const unsigned char* data, std::size_t length) {
    sum_ += ContentChecksum(data, length); // both wrap modulo 2^32, so the sums add up
}
