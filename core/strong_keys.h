// The two keys of a strong file, derived from the typed key: one for the key check in the
// header, one for the chunks. They live only in this owner, which wipes them when it goes.
#ifndef VEILQUILL_STRONG_KEYS_H
#define VEILQUILL_STRONG_KEYS_H

#include <cstddef>

#include "core/secret_bytes.h"
#include "core/secret_key.h"
#include "core/strong_primitives.h"

constexpr std::size_t kStrongSaltLength = 16;
constexpr std::size_t kStrongFileNonceLength = 16;

class StrongKeys {
  public:
    // M = Argon2id(key, salt, cost), PRK = HKDF-Extract(file nonce, M), then each key is
    // HKDF-Expand(PRK, its label, 32). False when the library fails (Argon2id may not get its
    // memory); the keys are then wiped.
    [[nodiscard]] bool Derive(const StrongPrimitives& primitives, const SecretKey& key,
                              const Argon2Cost& cost, const unsigned char* salt,
                              const unsigned char* fileNonce);

    const unsigned char* HeaderKey() const { return header_.data(); }
    const unsigned char* PayloadKey() const { return payload_.data(); }

  private:
    SecretBytes<kSecretKeyLength> header_;
    SecretBytes<kSecretKeyLength> payload_;
};

#endif
