#include "core/original_format.h"

#include "core/cipher_stream.h"

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
