#include "core/strong_primitives.h"

#include <cstring>

#include "core/secret_bytes.h"

namespace {

class KeyedCalls final : public AeadSession {
  public:
    KeyedCalls(const StrongPrimitives& primitives, const unsigned char* key)
        : primitives_(primitives) {
        std::memcpy(key_.data(), key, kSecretKeyLength);
    }
    bool Seal(const unsigned char* nonce, const unsigned char* plain, std::size_t length,
              unsigned char* sealed) override {
        return primitives_.Seal(key_.data(), nonce, plain, length, sealed);
    }
    bool Open(const unsigned char* nonce, const unsigned char* sealed, std::size_t sealedLength,
              unsigned char* plain) override {
        return primitives_.Open(key_.data(), nonce, sealed, sealedLength, plain);
    }

  private:
    const StrongPrimitives& primitives_;
    SecretBytes<kSecretKeyLength> key_;
};

} // namespace

std::unique_ptr<AeadSession> StrongPrimitives::BeginAead(const unsigned char* key) const {
    return std::make_unique<KeyedCalls>(*this, key);
}
