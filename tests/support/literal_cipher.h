// The original format exactly as its definition reads: the cipher as one pass over the whole
// buffer per key byte, the checksum, the trailer and the whole encrypted file. Slow on
// purpose; the tests and the benchmark compare the real routines against it, and the expected
// bytes of a test never come from the program's own cipher code.
#ifndef VEILQUILL_TESTS_LITERAL_CIPHER_H
#define VEILQUILL_TESTS_LITERAL_CIPHER_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace vqtest {

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

// A byte's counter in each pass is its key byte plus its position plus one, so one byte can be
// worked out alone: at `position` under `key` it is the first byte under every key byte moved
// on by `position`.
inline std::string KeyAtPosition(std::string key, std::size_t position) {
    for (char& k : key)
        k = static_cast<char>(static_cast<unsigned char>(k) + position);
    return key;
}

// The byte `plain` at `position` after the forward passes of `key`.
inline unsigned char CipherByteAt(const std::string& key, unsigned char plain,
                                  std::size_t position) {
    return static_cast<unsigned char>(
        LiteralEncrypt(KeyAtPosition(key, position), std::string(1, static_cast<char>(plain)))[0]);
}

// The same, backwards, for a decryption with `key`.
inline unsigned char PlainByteAt(const std::string& key, unsigned char cipher,
                                 std::size_t position) {
    return static_cast<unsigned char>(
        LiteralDecrypt(KeyAtPosition(key, position), std::string(1, static_cast<char>(cipher)))[0]);
}

// The checksum as its definition reads: the sum of the unsigned byte values, modulo 2^32.
inline std::uint32_t LiteralChecksum(const std::string& bytes) {
    std::uint32_t sum = 0;
    for (unsigned char b : bytes)
        sum += b;
    return sum;
}

// A checksum as its record holds it: 8 upper-case hex digits.
inline std::string UpperHex8(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

// The two bytes that end every encrypted file.
inline const std::string kTrailer = "\xDE\xAD";

// A file encrypted with `key` in the original format, byte for byte: the plain bytes through
// the literal cipher, then the trailer.
inline std::string ExpectedEncryptedFile(const std::string& key, const std::string& plain) {
    return LiteralEncrypt(key, plain) + kTrailer;
}

// The record a plain text gets: its checksum as 8 upper-case hexadecimal digits.
inline std::string ExpectedRecord(const std::string& plain) {
    return UpperHex8(LiteralChecksum(plain));
}

// Whether `size` bytes of a whole file end in the trailer: a file of 0 or 1 bytes never does.
inline bool HasEncryptedTrailer(const unsigned char* data, std::size_t size) {
    return data != nullptr && size >= 2 && data[size - 2] == 0xDE && data[size - 1] == 0xAD;
}

// Writes the trailer at data[bodyLength] and data[bodyLength + 1] (the buffer holds
// bodyLength + 2 bytes); returns the file's length.
inline std::size_t AppendEncryptedTrailer(unsigned char* data, std::size_t bodyLength) {
    data[bodyLength] = 0xDE;
    data[bodyLength + 1] = 0xAD;
    return bodyLength + 2;
}

// The length of a file's body once its trailer is taken off (0 when it is shorter than 2).
inline std::size_t LengthWithoutTrailer(std::size_t size) {
    return size < 2 ? 0 : size - 2;
}

} // namespace vqtest

#endif
