// HKDF with SHA-256 (RFC 5869), built on the primitives' HMAC-SHA-256: the one piece of
// cryptography the program puts together itself.
#ifndef VEILQUILL_HKDF_SHA256_H
#define VEILQUILL_HKDF_SHA256_H

#include <cstddef>

#include "core/strong_primitives.h"

constexpr std::size_t kHkdfMaxOutput = 255 * kSha256Length;

// PRK = HMAC-SHA-256(salt, input key material).
[[nodiscard]] bool HkdfExtract(const StrongPrimitives& primitives, const unsigned char* salt,
                               std::size_t saltLength, const unsigned char* keyMaterial,
                               std::size_t keyMaterialLength, unsigned char prk[kSha256Length]);

// The first `length` bytes (at most kHkdfMaxOutput) of T(1) || T(2) || ..., where
// T(i) = HMAC-SHA-256(PRK, T(i - 1) || info || i) and T(0) is empty.
[[nodiscard]] bool HkdfExpand(const StrongPrimitives& primitives,
                              const unsigned char prk[kSha256Length], const unsigned char* info,
                              std::size_t infoLength, unsigned char* out, std::size_t length);

#endif
