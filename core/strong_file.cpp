#include "core/strong_file.h"

#include <cstring>

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
    case StrongHeaderState::kRefused:
        return StrongFileState::kRefused;
    case StrongHeaderState::kFailed:
        return StrongFileState::kFailed;
    case StrongHeaderState::kReadable:
        break;
    }
    const StrongPayloadLayout layout = LayoutStrongPayload(StrongPayloadLength(file.fileSize));
    return layout.whole ? StrongFileState::kStrong : StrongFileState::kDamaged;
}

StrongFileState UnlockStrongFile(const StrongPrimitives& primitives, const SecretKey& key,
                                 const StrongFileStart& file, StrongKeys& keys,
                                 StrongPayloadLayout& layout) {
    const StrongFileState state = ClassifyStrongFile(primitives, file);
    if (state != StrongFileState::kStrong)
        return state;
    if (!keys.Derive(primitives, key, StrongHeaderCost(file.head), file.head + kStrongSaltAt,
                     file.head + kStrongFileNonceAt))
        return StrongFileState::kFailed;
    switch (CheckStrongKey(primitives, keys, file.head)) {
    case StrongKeyCheck::kMatches:
        break;
    case StrongKeyCheck::kDiffers:
        return StrongFileState::kWrongKey;
    case StrongKeyCheck::kFailed:
        return StrongFileState::kFailed;
    }
    layout = LayoutStrongPayload(StrongPayloadLength(file.fileSize));
    return StrongFileState::kUnlocked;
}

bool NewStrongHeader(const StrongPrimitives& primitives, const SecretKey& key,
                     unsigned char header[kStrongHeaderLength], StrongKeys& keys) {
    unsigned char salt[kStrongSaltLength];
    unsigned char fileNonce[kStrongFileNonceLength];
    return primitives.Random(salt, sizeof salt) && primitives.Random(fileNonce, sizeof fileNonce) &&
           WriteStrongHeader(primitives, key, kStrongWriterCost, salt, fileNonce, header, keys);
}
