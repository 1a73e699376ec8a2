// The cryptography the strong format is built on, as one interface. Which library gives it,
// and how the programs reach that library, is the system's business (platform/), so the format
// itself stays portable. Every call says whether it worked, and LastFailure() what the library
// said of the latest one that did not on the calling thread; an implementation is shared by
// threads and keeps no other state between calls.
#ifndef VEILQUILL_STRONG_PRIMITIVES_H
#define VEILQUILL_STRONG_PRIMITIVES_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

constexpr std::size_t kSha256Length = 32;
constexpr std::size_t kSecretKeyLength = 32; // Argon2id's output and every key derived from it
constexpr std::size_t kAeadNonceLength = 12;
constexpr std::size_t kAeadTagLength = 16;

// What one Argon2id derivation costs: memory in KiB, passes over it, and lanes.
struct Argon2Cost {
    std::uint32_t memoryKiB = 0;
    std::uint32_t passes = 0;
    std::uint32_t lanes = 0;
};

// Some bytes, for messages given in parts.
struct ByteRange {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};

// ChaCha20-Poly1305 with one 32-byte key kept ready for the chunks of one file: the cipher is
// set up once and only its 12-byte nonce changes from chunk to chunk. No associated data. The
// key goes with the session.
class AeadSession {
  public:
    virtual ~AeadSession() = default;
    // Writes the `length` bytes' cipher text followed by their 16-byte tag (length + 16 bytes)
    // to `sealed`.
    [[nodiscard]] virtual bool Seal(const unsigned char* nonce, const unsigned char* plain,
                                    std::size_t length, unsigned char* sealed) = 0;
    // The reverse of Seal: `sealedLength` (at least 16) bytes of cipher text and tag give
    // sealedLength - 16 plain bytes. False when the tag does not verify (or the library
    // fails); `plain` then holds zeros, never text that was not verified.
    [[nodiscard]] virtual bool Open(const unsigned char* nonce, const unsigned char* sealed,
                                    std::size_t sealedLength, unsigned char* plain) = 0;
};

// What the library said of a call that failed.
struct CryptoFailure {
    bool outOfMemory = false;
    bool notVerified = false; // an Open whose tag did not verify: the bytes are at fault
    std::string text;         // the library's own words
};

class StrongPrimitives {
  public:
    virtual ~StrongPrimitives() = default;

    // A session for the kSecretKeyLength-byte `key`; null when the library fails.
    virtual std::unique_ptr<AeadSession> BeginAead(const unsigned char* key) const = 0;

    // Argon2id version 0x13 of the password and salt, without secret or associated data,
    // into kSecretKeyLength bytes.
    [[nodiscard]] virtual bool Argon2id(const unsigned char* password, std::size_t passwordLength,
                                        const unsigned char* salt, std::size_t saltLength,
                                        const Argon2Cost& cost, unsigned char* out) const = 0;

    // HMAC-SHA-256 with `key` of the message made of `parts` one after another.
    [[nodiscard]] virtual bool HmacSha256(const unsigned char* key, std::size_t keyLength,
                                          const ByteRange* parts, std::size_t partCount,
                                          unsigned char out[kSha256Length]) const = 0;

    [[nodiscard]] virtual bool Sha256(const unsigned char* data, std::size_t length,
                                      unsigned char out[kSha256Length]) const = 0;

    // Bytes from a cryptographic random generator seeded by the system's.
    [[nodiscard]] virtual bool Random(unsigned char* out, std::size_t length) const = 0;

    // What the library said of the latest call made on this thread that failed (a session's
    // calls among them).
    virtual CryptoFailure LastFailure() const = 0;
};

#endif
