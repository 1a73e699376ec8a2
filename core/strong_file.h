// A whole file in the strong format, and what is decided about it before a chunk is read: its
// 92-byte header (where each field lies, writing one, the header check), the two keys derived
// from the typed key, and the key check the header carries, so that no record is involved.
// The file is the header, its chunks (strong_payload.h) and the trailer 0xDE 0xAD that marks
// every encrypted file. Numbers in the header are little-endian.
#ifndef VEILQUILL_STRONG_FILE_H
#define VEILQUILL_STRONG_FILE_H

#include <cstddef>
#include <cstdint>

#include "cipher/encrypted_trailer.h"
#include "core/secret_key.h"
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
constexpr std::size_t kStrongSaltLength = 16;
constexpr std::size_t kStrongFileNonceAt = 40;
constexpr std::size_t kStrongFileNonceLength = 16;
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

// The chunks: plain bytes in one (the last holds 1 to this), and what one takes once sealed.
constexpr std::size_t kStrongChunkSize = std::size_t{1} << kStrongChunkBits;      // 65,536
constexpr std::size_t kStrongStoredChunkSize = kStrongChunkSize + kAeadTagLength; // 65,552
constexpr std::size_t kStrongLeastStoredChunk = 1 + kAeadTagLength;
// The smallest strong file: a header, one chunk of one byte and the trailer (111 bytes).
constexpr std::uint64_t kStrongLeastFileSize =
    kStrongHeaderLength + kStrongLeastStoredChunk + kTrailerLength;

// HKDF with SHA-256 (RFC 5869), built on the primitives' HMAC-SHA-256: the one piece of
// cryptography the program puts together itself.
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

// The two keys of a strong file, derived from the typed key: one for the key check in the
// header, one for the chunks. They live only in this owner, which wipes them when it goes.
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

// Writes the header of a file encrypted with `key` at `cost` with the given salt and file
// nonce, deriving the keys for it on the way. False when the library fails.
[[nodiscard]] bool WriteStrongHeader(const StrongPrimitives& primitives, const SecretKey& key,
                                     const Argon2Cost& cost, const unsigned char* salt,
                                     const unsigned char* fileNonce,
                                     unsigned char header[kStrongHeaderLength], StrongKeys& keys);

// The header of a new encryption with `key`: the writer's cost, a fresh random salt and file
// nonce, and the keys for its chunks. False when the library fails.
[[nodiscard]] bool NewStrongHeader(const StrongPrimitives& primitives, const SecretKey& key,
                                   unsigned char header[kStrongHeaderLength], StrongKeys& keys);

// The Argon2id cost a header names.
Argon2Cost StrongHeaderCost(const unsigned char header[kStrongHeaderLength]);

// What a file's first bytes, size and trailer say. `head` holds its first
// min(fileSize, kStrongHeaderLength) bytes (`headLength`), `lastTwo` its last two.
// `firstChunk`, when given, holds the stored bytes of its chunk 0
// (StrongPayloadLayout::FirstChunkLength), with which a key whose key check fails is told
// from a damaged key check.
struct StrongFileStart {
    std::uint64_t fileSize = 0;
    const unsigned char* head = nullptr;
    std::size_t headLength = 0;
    const unsigned char* lastTwo = nullptr;
    ByteRange firstChunk;
};

// Whether the file is encrypted, long enough and starts with the magic: then it is a strong
// file, whole, damaged or made by a newer version, never one of the original format, and a
// program without the cryptographic library must say so. Needs no library.
bool MayBeStrongFile(const StrongFileStart& file);

enum class StrongFileState {
    kNotStrong,       // the original format, or not encrypted at all
    kStrong,          // a strong file this version reads (classification only)
    kRefused,         // made by a newer version, or its fields are damaged
    kDamagedHeader,   // its header check does not match: no key derivation is run for it
    kDamagedPayload,  // its payload cannot be whole chunks: its last chunk is cut short
    kDamagedKeyCheck, // the key check does not match, but the key opens chunk 0
    kWrongKey,        // the key check does not match, and the key does not open chunk 0
    kFailed,          // the library failed (Argon2id may not get its memory)
    kUnlocked,        // the key is right: the keys are ready for the chunks
};

// Which format the file is in and whether this version reads it, without any key: it costs
// one SHA-256 and never a key derivation. A damaged header or payload is told here.
[[nodiscard]] StrongFileState ClassifyStrongFile(const StrongPrimitives& primitives,
                                                 const StrongFileStart& file);

// Classifies the file and, only when it is kStrong, derives the keys with `key` (one key
// derivation) and checks them against the header's key check, in constant time. When the key
// check does not match and the file's first chunk is given, that chunk is opened with the
// payload key: when it verifies, the key is right and the key check is damaged. On kUnlocked,
// `keys` are set.
[[nodiscard]] StrongFileState UnlockStrongFile(const StrongPrimitives& primitives,
                                               const SecretKey& key, const StrongFileStart& file,
                                               StrongKeys& keys);

#endif
