#include "core/strong_keys.h"

#include "core/hkdf_sha256.h"

namespace {

// The labels that tell the two keys apart (ASCII, no terminating zero).
constexpr char kHeaderLabel[] = "Veilquill strong v1 header";
constexpr char kPayloadLabel[] = "Veilquill strong v1 payload";

bool Expand(const StrongPrimitives& primitives, const unsigned char* prk, const char* label,
            std::size_t labelLength, unsigned char* out) {
    return HkdfExpand(primitives, prk, reinterpret_cast<const unsigned char*>(label), labelLength,
                      out, kSecretKeyLength);
}

} // namespace

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
