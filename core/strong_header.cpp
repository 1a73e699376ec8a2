#include "core/strong_header.h"

#include <cstdint>
#include <cstring>

#include "core/secret_bytes.h"

namespace {

std::uint32_t ReadLittleEndian32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void WriteLittleEndian32(std::uint32_t value, unsigned char* bytes) {
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

bool InRange(std::uint32_t value, std::uint32_t least, std::uint32_t greatest) {
    return value >= least && value <= greatest;
}

bool HeaderCheck(const StrongPrimitives& primitives, const unsigned char* header,
                 unsigned char check[kStrongHeaderCheckLength]) {
    unsigned char digest[kSha256Length];
    if (!primitives.Sha256(header, kStrongHeaderCheckAt, digest))
        return false;
    std::memcpy(check, digest, kStrongHeaderCheckLength);
    return true;
}

bool KeyCheck(const StrongPrimitives& primitives, const StrongKeys& keys,
              const unsigned char* header, unsigned char check[kSha256Length]) {
    const ByteRange checked{header, kStrongKeyCheckAt};
    return primitives.HmacSha256(keys.HeaderKey(), kSecretKeyLength, &checked, 1, check);
}

} // namespace

bool WriteStrongHeader(const StrongPrimitives& primitives, const SecretKey& key,
                       const Argon2Cost& cost, const unsigned char* salt,
                       const unsigned char* fileNonce, unsigned char header[kStrongHeaderLength],
                       StrongKeys& keys) {
    std::memcpy(header, kStrongMagic, kStrongMagicLength);
    header[kStrongVersionAt] = kStrongVersion;
    header[kStrongCipherAt] = kStrongCipherChaCha20Poly1305;
    header[kStrongKdfAt] = kStrongKdfArgon2id;
    header[kStrongChunkBitsAt] = kStrongChunkBits;
    WriteLittleEndian32(cost.memoryKiB, header + kStrongMemoryAt);
    WriteLittleEndian32(cost.passes, header + kStrongPassesAt);
    WriteLittleEndian32(cost.lanes, header + kStrongLanesAt);
    std::memcpy(header + kStrongSaltAt, salt, kStrongSaltLength);
    std::memcpy(header + kStrongFileNonceAt, fileNonce, kStrongFileNonceLength);
    return HeaderCheck(primitives, header, header + kStrongHeaderCheckAt) &&
           keys.Derive(primitives, key, cost, salt, fileNonce) &&
           KeyCheck(primitives, keys, header, header + kStrongKeyCheckAt);
}

StrongHeaderState CheckStrongHeader(const StrongPrimitives& primitives,
                                    const unsigned char header[kStrongHeaderLength]) {
    if (std::memcmp(header, kStrongMagic, kStrongMagicLength) != 0)
        return StrongHeaderState::kNotStrong;
    unsigned char check[kStrongHeaderCheckLength];
    if (!HeaderCheck(primitives, header, check))
        return StrongHeaderState::kFailed;
    if (std::memcmp(check, header + kStrongHeaderCheckAt, kStrongHeaderCheckLength) != 0)
        return StrongHeaderState::kDamaged;
    const Argon2Cost cost = StrongHeaderCost(header);
    const bool readable =
        header[kStrongVersionAt] == kStrongVersion &&
        header[kStrongCipherAt] == kStrongCipherChaCha20Poly1305 &&
        header[kStrongKdfAt] == kStrongKdfArgon2id &&
        header[kStrongChunkBitsAt] == kStrongChunkBits &&
        InRange(cost.memoryKiB, kStrongLeastCost.memoryKiB, kStrongGreatestCost.memoryKiB) &&
        InRange(cost.passes, kStrongLeastCost.passes, kStrongGreatestCost.passes) &&
        InRange(cost.lanes, kStrongLeastCost.lanes, kStrongGreatestCost.lanes);
    return readable ? StrongHeaderState::kReadable : StrongHeaderState::kRefused;
}

Argon2Cost StrongHeaderCost(const unsigned char header[kStrongHeaderLength]) {
    return Argon2Cost{ReadLittleEndian32(header + kStrongMemoryAt),
                      ReadLittleEndian32(header + kStrongPassesAt),
                      ReadLittleEndian32(header + kStrongLanesAt)};
}

StrongKeyCheck CheckStrongKey(const StrongPrimitives& primitives, const StrongKeys& keys,
                              const unsigned char header[kStrongHeaderLength]) {
    SecretBytes<kSha256Length> check;
    if (!KeyCheck(primitives, keys, header, check.data()))
        return StrongKeyCheck::kFailed;
    return SameBytesInConstantTime(check.data(), header + kStrongKeyCheckAt, kSha256Length)
               ? StrongKeyCheck::kMatches
               : StrongKeyCheck::kDiffers;
}
