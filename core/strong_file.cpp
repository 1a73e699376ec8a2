#include "core/strong_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/strong_payload.h"

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

// Whether the two runs of `length` bytes are equal, looking at every byte whatever it finds,
// so that the time taken tells nothing of where they differ.
bool SameBytesInConstantTime(const unsigned char* a, const unsigned char* b, std::size_t length) {
    volatile unsigned char difference = 0;
    for (std::size_t i = 0; i < length; ++i)
        difference = static_cast<unsigned char>(difference | (a[i] ^ b[i]));
    return difference == 0;
}

// The labels that tell the two keys apart (ASCII, no terminating zero).
constexpr char kHeaderLabel[] = "Veilquill strong v1 header";
constexpr char kPayloadLabel[] = "Veilquill strong v1 payload";

bool Expand(const StrongPrimitives& primitives, const unsigned char* prk, const char* label,
            std::size_t labelLength, unsigned char* out) {
    return HkdfExpand(primitives, prk, reinterpret_cast<const unsigned char*>(label), labelLength,
                      out, kSecretKeyLength);
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

enum class HeaderState {
    kNotStrong, // no magic: not this format at all
    kDamaged,   // the header check does not match the 56 bytes before it
    kReadable,  // a header this version reads
    kRefused,   // made by a newer version or damaged: version, algorithms or cost out of reach
    kFailed,    // the library failed
};

// What the header says, without any key: it costs one SHA-256 and never a key derivation.
HeaderState CheckHeader(const StrongPrimitives& primitives,
                        const unsigned char header[kStrongHeaderLength]) {
    if (std::memcmp(header, kStrongMagic, kStrongMagicLength) != 0)
        return HeaderState::kNotStrong;
    unsigned char check[kStrongHeaderCheckLength];
    if (!HeaderCheck(primitives, header, check))
        return HeaderState::kFailed;
    if (std::memcmp(check, header + kStrongHeaderCheckAt, kStrongHeaderCheckLength) != 0)
        return HeaderState::kDamaged;
    const Argon2Cost cost = StrongHeaderCost(header);
    const bool readable =
        header[kStrongVersionAt] == kStrongVersion &&
        header[kStrongCipherAt] == kStrongCipherChaCha20Poly1305 &&
        header[kStrongKdfAt] == kStrongKdfArgon2id &&
        header[kStrongChunkBitsAt] == kStrongChunkBits &&
        InRange(cost.memoryKiB, kStrongLeastCost.memoryKiB, kStrongGreatestCost.memoryKiB) &&
        InRange(cost.passes, kStrongLeastCost.passes, kStrongGreatestCost.passes) &&
        InRange(cost.lanes, kStrongLeastCost.lanes, kStrongGreatestCost.lanes);
    return readable ? HeaderState::kReadable : HeaderState::kRefused;
}

enum class KeyCheckState { kMatches, kDiffers, kFailed };

// Whether the header's key check is the one these keys give; compared in constant time.
KeyCheckState CheckKey(const StrongPrimitives& primitives, const StrongKeys& keys,
                       const unsigned char header[kStrongHeaderLength]) {
    SecretBytes<kSha256Length> check;
    if (!KeyCheck(primitives, keys, header, check.data()))
        return KeyCheckState::kFailed;
    return SameBytesInConstantTime(check.data(), header + kStrongKeyCheckAt, kSha256Length)
               ? KeyCheckState::kMatches
               : KeyCheckState::kDiffers;
}

// What a key whose key check does not match is: wrong, or right with a damaged key check when
// its payload key opens the file's chunk 0.
StrongFileState WhenKeyCheckDiffers(const StrongPrimitives& primitives, const StrongKeys& keys,
                                    std::uint64_t fileSize, const ByteRange& firstChunk) {
    if (firstChunk.data == nullptr || firstChunk.size == 0)
        return StrongFileState::kWrongKey;
    StrongPayloadReader reader(primitives, keys, StrongPayloadLayout::OfFile(fileSize));
    std::vector<unsigned char> plain(firstChunk.size);
    std::size_t plainLength = 0;
    const bool opened = reader.Open(firstChunk.data, firstChunk.size, plain.data(), plainLength);
    WipeBytes(plain.data(), plain.size());
    if (opened)
        return StrongFileState::kDamagedKeyCheck;
    return reader.LibraryFailed() ? StrongFileState::kFailed : StrongFileState::kWrongKey;
}

} // namespace

bool HkdfExtract(const StrongPrimitives& primitives, const unsigned char* salt,
                 std::size_t saltLength, const unsigned char* keyMaterial,
                 std::size_t keyMaterialLength, unsigned char prk[kSha256Length]) {
    const ByteRange message{keyMaterial, keyMaterialLength};
    return primitives.HmacSha256(salt, saltLength, &message, 1, prk);
}

bool HkdfExpand(const StrongPrimitives& primitives, const unsigned char prk[kSha256Length],
                const unsigned char* info, std::size_t infoLength, unsigned char* out,
                std::size_t length) {
    if (length > kHkdfMaxOutput)
        return false;
    SecretBytes<kSha256Length> previous; // T(i - 1)
    SecretBytes<kSha256Length> block;    // T(i)
    std::size_t previousLength = 0;      // T(0) is empty
    unsigned char counter = 0;
    for (std::size_t done = 0; done < length;) {
        ++counter;
        std::memcpy(previous.data(), block.data(), kSha256Length);
        const ByteRange parts[] = {
            {previous.data(), previousLength}, {info, infoLength}, {&counter, 1}};
        if (!primitives.HmacSha256(prk, kSha256Length, parts, 3, block.data())) {
            WipeBytes(out, length);
            return false;
        }
        previousLength = kSha256Length;
        const std::size_t step = std::min(kSha256Length, length - done);
        std::memcpy(out + done, block.data(), step);
        done += step;
    }
    return true;
}

bool StrongKeys::Derive(const StrongPrimitives& primitives, const SecretKey& key,
                        const Argon2Cost& cost, const unsigned char* salt,
                        const unsigned char* fileNonce) {
    SecretBytes<kSecretKeyLength> master;
    SecretBytes<kSha256Length> prk;
    const bool derived =
        primitives.Argon2id(key.data(), key.size(), salt, kStrongSaltLength, cost, master.data()) &&
        HkdfExtract(primitives, fileNonce, kStrongFileNonceLength, master.data(), kSecretKeyLength,
                    prk.data()) &&
        Expand(primitives, prk.data(), kHeaderLabel, sizeof kHeaderLabel - 1, header_.data()) &&
        Expand(primitives, prk.data(), kPayloadLabel, sizeof kPayloadLabel - 1, payload_.data());
    if (!derived) {
        WipeBytes(header_.data(), kSecretKeyLength);
        WipeBytes(payload_.data(), kSecretKeyLength);
    }
    return derived;
}

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

bool NewStrongHeader(const StrongPrimitives& primitives, const SecretKey& key,
                     unsigned char header[kStrongHeaderLength], StrongKeys& keys) {
    unsigned char salt[kStrongSaltLength];
    unsigned char fileNonce[kStrongFileNonceLength];
    return primitives.Random(salt, sizeof salt) && primitives.Random(fileNonce, sizeof fileNonce) &&
           WriteStrongHeader(primitives, key, kStrongWriterCost, salt, fileNonce, header, keys);
}

Argon2Cost StrongHeaderCost(const unsigned char header[kStrongHeaderLength]) {
    return Argon2Cost{ReadLittleEndian32(header + kStrongMemoryAt),
                      ReadLittleEndian32(header + kStrongPassesAt),
                      ReadLittleEndian32(header + kStrongLanesAt)};
}

bool MayBeStrongFile(const StrongFileStart& file) {
    return file.fileSize >= kStrongLeastFileSize && file.lastTwo != nullptr &&
           IsTrailer(file.lastTwo) && file.headLength >= kStrongHeaderLength &&
           std::memcmp(file.head, kStrongMagic, kStrongMagicLength) == 0;
}

StrongFileState ClassifyStrongFile(const StrongPrimitives& primitives,
                                   const StrongFileStart& file) {
    if (!MayBeStrongFile(file))
        return StrongFileState::kNotStrong;
    switch (CheckHeader(primitives, file.head)) {
    case HeaderState::kNotStrong:
        return StrongFileState::kNotStrong;
    case HeaderState::kDamaged:
        return StrongFileState::kDamagedHeader;
    case HeaderState::kRefused:
        return StrongFileState::kRefused;
    case HeaderState::kFailed:
        return StrongFileState::kFailed;
    case HeaderState::kReadable:
        break;
    }
    return StrongPayloadLayout::OfFile(file.fileSize).whole ? StrongFileState::kStrong
                                                            : StrongFileState::kDamagedPayload;
}

StrongFileState UnlockStrongFile(const StrongPrimitives& primitives, const SecretKey& key,
                                 const StrongFileStart& file, StrongKeys& keys) {
    const StrongFileState state = ClassifyStrongFile(primitives, file);
    if (state != StrongFileState::kStrong)
        return state;
    if (!keys.Derive(primitives, key, StrongHeaderCost(file.head), file.head + kStrongSaltAt,
                     file.head + kStrongFileNonceAt))
        return StrongFileState::kFailed;
    switch (CheckKey(primitives, keys, file.head)) {
    case KeyCheckState::kMatches:
        return StrongFileState::kUnlocked;
    case KeyCheckState::kDiffers:
        return WhenKeyCheckDiffers(primitives, keys, file.fileSize, file.firstChunk);
    case KeyCheckState::kFailed:
        break;
    }
    return StrongFileState::kFailed;
}
