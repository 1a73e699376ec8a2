#include "core/hkdf_sha256.h"

#include <algorithm>
#include <cstring>

#include "core/secret_bytes.h"

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
