// The strong format's 92-byte header: where each field lies, writing one, and what its fields
// and its two checks say when one is read. Numbers in it are little-endian.
#ifndef VEILQUILL_STRONG_HEADER_H
#define VEILQUILL_STRONG_HEADER_H

#include <cstddef>

#include "core/secret_key.h"
#include "core/strong_keys.h"
#include "core/strong_primitives.h"

constexpr unsigned char kStrongMagic[] = {0x89, 0x56, 0x51, 0x32, 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::size_t kStrongMagicLength = sizeof kStrongMagic;
constexpr std::size_t kStrongVersionAt = 8;
constexpr std::size_t kStrongCipherAt = 9;
constexpr std::size_t kStrongKdfAt = 10;
constexpr std::size_t kStrongChunkBitsAt = 11; // the chunk size as a power of two
constexpr std::size_t kStrongMemoryAt = 12;    // Argon2 memory in KiB, 4 bytes
constexpr std::size_t kStrongPassesAt = 16;    // 4 bytes
constexpr std::size_t kStrongLanesAt = 20;     // 4 bytes
constexpr std::size_t kStrongSaltAt = 24;
constexpr std::size_t kStrongFileNonceAt = 40;
// The first 4 bytes of SHA-256 of the 56 bytes before it.
constexpr std::size_t kStrongHeaderCheckAt = 56;
constexpr std::size_t kStrongHeaderCheckLength = 4;
// HMAC-SHA-256 with the header key of the 60 bytes before it: it tells whether a key is right.
constexpr std::size_t kStrongKeyCheckAt = 60;
constexpr std::size_t kStrongHeaderLength = kStrongKeyCheckAt + kSha256Length; // 92

// What this version writes, and the only values it reads.
constexpr unsigned char kStrongVersion = 1;
constexpr unsigned char kStrongCipherChaCha20Poly1305 = 1;
constexpr unsigned char kStrongKdfArgon2id = 1;
constexpr unsigned char kStrongChunkBits = 16;
// The cost this version writes, and the range of costs it reads.
constexpr Argon2Cost kStrongWriterCost{65536, 3, 1};
constexpr Argon2Cost kStrongLeastCost{8192, 1, 1};
constexpr Argon2Cost kStrongGreatestCost{262144, 10, 4};

// Writes the header of a file encrypted with `key` at `cost` with the given salt and file
// nonce, deriving the keys for it on the way. False when the library fails.
[[nodiscard]] bool WriteStrongHeader(const StrongPrimitives& primitives, const SecretKey& key,
                                     const Argon2Cost& cost, const unsigned char* salt,
                                     const unsigned char* fileNonce,
                                     unsigned char header[kStrongHeaderLength], StrongKeys& keys);

enum class StrongHeaderState {
    kNotStrong, // no magic: not this format at all
    kDamaged,   // the header check does not match the 56 bytes before it
    kReadable,  // a header this version reads
    kRefused,   // made by a newer version or damaged: version, algorithms or cost out of reach
    kFailed,    // the library failed
};

// What the header says, without any key: it costs one SHA-256 and never a key derivation.
[[nodiscard]] StrongHeaderState CheckStrongHeader(const StrongPrimitives& primitives,
                                                  const unsigned char header[kStrongHeaderLength]);

Argon2Cost StrongHeaderCost(const unsigned char header[kStrongHeaderLength]);

enum class StrongKeyCheck { kMatches, kDiffers, kFailed };

// Whether the header's key check is the one these keys give; compared in constant time.
[[nodiscard]] StrongKeyCheck CheckStrongKey(const StrongPrimitives& primitives,
                                            const StrongKeys& keys,
                                            const unsigned char header[kStrongHeaderLength]);

#endif
