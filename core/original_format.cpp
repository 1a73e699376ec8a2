#include "core/original_format.h"

#include <cstddef>
#include <cstdint>

#include "cipher/key_cipher.h"
#include "core/job_result.h"

namespace {

// The table's position classes repeat every 256 bytes, so only the position modulo 256 is
// handed on; it keeps the arithmetic in std::size_t on 32-bit targets.
constexpr std::uint64_t kPositionClasses = 256;

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

} // namespace

OriginalEncryption::OriginalEncryption(const SecretKey& key) {
    (void)key_.Assign(key.data(), key.size());
}

std::unique_ptr<ContentTransform> OriginalEncryption::Begin() const {
    return std::make_unique<CipherStream>(key_, CipherDirection::kForward);
}

OriginalDecryption::OriginalDecryption(const SecretKey& key) {
    (void)key_.Assign(key.data(), key.size());
}

std::unique_ptr<ContentTransform> OriginalDecryption::Begin() const {
    return std::make_unique<CipherStream>(key_, CipherDirection::kInverse);
}
