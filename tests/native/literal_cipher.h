// The cipher exactly as its definition reads: one pass over the whole buffer per key byte.
// Slow on purpose; the tests and the benchmark compare the real routines against it.
#ifndef VEILQUILL_LITERAL_CIPHER_H
#define VEILQUILL_LITERAL_CIPHER_H

#include <cstddef>
#include <cstdint>
#include <string>

inline void LiteralCipherForward(const unsigned char* key, std::size_t keyLength,
                                 unsigned char* data, std::size_t length) {
    for (std::size_t r = 0; r < keyLength; ++r) {
        unsigned char counter = key[r];
        for (std::size_t i = 0; i < length; ++i) {
            counter = static_cast<unsigned char>(counter + 1);
            data[i] = static_cast<unsigned char>((data[i] ^ counter) + 10);
        }
    }
}

inline void LiteralCipherInverse(const unsigned char* key, std::size_t keyLength,
                                 unsigned char* data, std::size_t length) {
    for (std::size_t r = 0; r < keyLength; ++r) {
        unsigned char counter = key[keyLength - 1 - r];
        for (std::size_t i = 0; i < length; ++i) {
            counter = static_cast<unsigned char>(counter + 1);
            data[i] =
                static_cast<unsigned char>(static_cast<unsigned char>(data[i] - 10) ^ counter);
        }
    }
}

// The same on strings, for tests that check whole files.
inline std::string LiteralEncrypt(const std::string& key, std::string bytes) {
    LiteralCipherForward(reinterpret_cast<const unsigned char*>(key.data()), key.size(),
                         reinterpret_cast<unsigned char*>(&bytes[0]), bytes.size());
    return bytes;
}

inline std::string LiteralDecrypt(const std::string& key, std::string bytes) {
    LiteralCipherInverse(reinterpret_cast<const unsigned char*>(key.data()), key.size(),
                         reinterpret_cast<unsigned char*>(&bytes[0]), bytes.size());
    return bytes;
}

// The checksum as its definition reads: the sum of the unsigned byte values, modulo 2^32.
inline std::uint32_t LiteralChecksum(const std::string& bytes) {
    std::uint32_t sum = 0;
    for (unsigned char b : bytes)
        sum += b;
    return sum;
}

#endif
