// A whole file in the strong format: its 92-byte header, its chunks, and the trailer 0xDE 0xAD
// that marks every encrypted file. What a job decides about such a file before it reads a
// chunk is decided here, from the file's size, its first bytes and its last two.
#ifndef VEILQUILL_STRONG_FILE_H
#define VEILQUILL_STRONG_FILE_H

#include <cstddef>
#include <cstdint>

#include "cipher/encrypted_trailer.h"
#include "core/secret_key.h"
#include "core/strong_header.h"
#include "core/strong_keys.h"
#include "core/strong_payload.h"
#include "core/strong_primitives.h"

// The smallest strong file: a header, one chunk of one byte and the trailer (111 bytes).
constexpr std::uint64_t kStrongLeastFileSize =
    kStrongHeaderLength + kStrongLeastStoredChunk + kTrailerLength;

// The size of the file that `plainSize` (at least 1) bytes make: 92 + n + 16 k + 2.
constexpr std::uint64_t StrongFileSize(std::uint64_t plainSize) {
    return kStrongHeaderLength + StrongSealedLength(plainSize) + kTrailerLength;
}

// Where chunk `index` starts in the file, to tell the user where a file is damaged.
constexpr std::uint64_t StrongChunkOffset(std::uint64_t index) {
    return kStrongHeaderLength + index * kStrongStoredChunkSize;
}

// The bytes between the header and the trailer of a file of `fileSize` bytes.
constexpr std::uint64_t StrongPayloadLength(std::uint64_t fileSize) {
    return fileSize < kStrongHeaderLength + kTrailerLength
               ? 0
               : fileSize - kStrongHeaderLength - kTrailerLength;
}

// What a file's first bytes, size and trailer say. `head` holds its first
// min(fileSize, kStrongHeaderLength) bytes (`headLength`), `lastTwo` its last two.
// `firstChunk`, when given, holds the stored bytes of its chunk 0 (StrongFirstChunkLength),
// with which a key whose key check fails is told from a damaged key check.
struct StrongFileStart {
    std::uint64_t fileSize = 0;
    const unsigned char* head = nullptr;
    std::size_t headLength = 0;
    const unsigned char* lastTwo = nullptr;
    ByteRange firstChunk;
};

// How many bytes of a file of `fileSize` bytes its chunk 0 takes, once stored.
constexpr std::size_t StrongFirstChunkLength(std::uint64_t fileSize) {
    return static_cast<std::size_t>(StrongPayloadLength(fileSize) < kStrongStoredChunkSize
                                        ? StrongPayloadLength(fileSize)
                                        : kStrongStoredChunkSize);
}

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
    kUnlocked,        // the key is right: the keys and the layout are ready for the chunks
};

// Which format the file is in and whether this version reads it, without any key: it costs
// one SHA-256 and never a key derivation. A damaged header or payload is told here.
[[nodiscard]] StrongFileState ClassifyStrongFile(const StrongPrimitives& primitives,
                                                 const StrongFileStart& file);

// Classifies the file and, only when it is kStrong, derives the keys with `key` (one key
// derivation) and checks them against the header. When the key check does not match and the
// file's first chunk is given, that chunk is opened with the payload key: when it verifies,
// the key is right and the key check is damaged. On kUnlocked, `keys` and `layout` are set.
[[nodiscard]] StrongFileState UnlockStrongFile(const StrongPrimitives& primitives,
                                               const SecretKey& key, const StrongFileStart& file,
                                               StrongKeys& keys, StrongPayloadLayout& layout);

// The header of a new encryption with `key`: the writer's cost, a fresh random salt and file
// nonce, and the keys for its chunks. False when the library fails.
[[nodiscard]] bool NewStrongHeader(const StrongPrimitives& primitives, const SecretKey& key,
                                   unsigned char header[kStrongHeaderLength], StrongKeys& keys);

#endif
