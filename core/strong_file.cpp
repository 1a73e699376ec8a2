#include "core/strong_file.h"

#include <cstring>
#include <vector>

#include "core/secret_key.h"

bool MayBeStrongFile(const StrongFileStart& file) {
    return file.fileSize >= kStrongLeastFileSize && file.lastTwo != nullptr &&
           IsTrailer(file.lastTwo) && file.headLength >= kStrongHeaderLength &&
           std::memcmp(file.head, kStrongMagic, kStrongMagicLength) == 0;
}

StrongFileState ClassifyStrongFile(const StrongPrimitives& primitives,
                                   const StrongFileStart& file) {
    if (!MayBeStrongFile(file))
        return StrongFileState::kNotStrong;
    switch (CheckStrongHeader(primitives, file.head)) {
    case StrongHeaderState::kNotStrong:
        return StrongFileState::kNotStrong;
    case StrongHeaderState::kDamaged:
        return StrongFileState::kDamagedHeader;
    case StrongHeaderState::kRefused:
        return StrongFileState::kRefused;
    case StrongHeaderState::kFailed:
        return StrongFileState::kFailed;
    case StrongHeaderState::kReadable:
        break;
    }
    const StrongPayloadLayout layout = LayoutStrongPayload(StrongPayloadLength(file.fileSize));
    return layout.whole ? StrongFileState::kStrong : StrongFileState::kDamagedPayload;
}

namespace {

// What a key whose key check does not match is: wrong, or right with a damaged key check when
// its payload key opens the file's chunk 0.
StrongFileState WhenKeyCheckDiffers(const StrongPrimitives& primitives, const StrongKeys& keys,
                                    const StrongPayloadLayout& layout,
                                    const ByteRange& firstChunk) {
    if (firstChunk.data == nullptr || firstChunk.size == 0)
        return StrongFileState::kWrongKey;
    StrongPayloadReader reader(primitives, keys, layout);
    std::vector<unsigned char> plain(firstChunk.size);
    std::size_t plainLength = 0;
    const bool opened = reader.Open(firstChunk.data, firstChunk.size, plain.data(), plainLength);
    WipeBytes(plain.data(), plain.size());
    if (opened)
        return StrongFileState::kDamagedKeyCheck;
    return reader.LibraryFailed() ? StrongFileState::kFailed : StrongFileState::kWrongKey;
}

} // namespace

StrongFileState UnlockStrongFile(const StrongPrimitives& primitives, const SecretKey& key,
                                 const StrongFileStart& file, StrongKeys& keys,
                                 StrongPayloadLayout& layout) {
    const StrongFileState state = ClassifyStrongFile(primitives, file);
    if (state != StrongFileState::kStrong)
        return state;
    if (!keys.Derive(primitives, key, StrongHeaderCost(file.head), file.head + kStrongSaltAt,
                     file.head + kStrongFileNonceAt))
        return StrongFileState::kFailed;
    const StrongPayloadLayout whole = LayoutStrongPayload(StrongPayloadLength(file.fileSize));
    switch (CheckStrongKey(primitives, keys, file.head)) {
    case StrongKeyCheck::kMatches:
        break;
    case StrongKeyCheck::kDiffers:
        return WhenKeyCheckDiffers(primitives, keys, whole, file.firstChunk);
    case StrongKeyCheck::kFailed:
        return StrongFileState::kFailed;
    }
    layout = whole;
    return StrongFileState::kUnlocked;
}

bool NewStrongHeader(const StrongPrimitives& primitives, const SecretKey& key,
                     unsigned char header[kStrongHeaderLength], StrongKeys& keys) {
    unsigned char salt[kStrongSaltLength];
    unsigned char fileNonce[kStrongFileNonceLength];
    return primitives.Random(salt, sizeof salt) && primitives.Random(fileNonce, sizeof fileNonce) &&
           WriteStrongHeader(primitives, key, kStrongWriterCost, salt, fileNonce, header, keys);
}
