// The key cipher, the plain-text checksum and the trailer, against values worked out by hand
// from the cipher's definition and against the literal one-pass-per-key-byte form (which also
// gives the whole-file oracles HasEncryptedTrailer and LengthWithoutTrailer).
#include "cipher/content_checksum.h"
#include "cipher/encrypted_trailer.h"
#include "cipher/key_cipher.h"
#include "tests/support/literal_cipher.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace vqtest {
namespace {

using Bytes = std::vector<unsigned char>;

// The cipher as the program runs it: the key prepared into a table, applied to the buffer.
void Transform(const unsigned char* key, std::size_t keyLength, CipherDirection direction,
               unsigned char* data, std::size_t length) {
    std::make_unique<KeyCipherTable>(key, keyLength, direction)->Apply(data, length);
}

Bytes Forward(const Bytes& key, Bytes data) {
    Transform(key.data(), key.size(), CipherDirection::kForward, data.data(), data.size());
    return data;
}

Bytes Inverse(const Bytes& key, Bytes data) {
    Transform(key.data(), key.size(), CipherDirection::kInverse, data.data(), data.size());
    return data;
}

// Among the lengths tried: short buffers once took another path below this one.
constexpr std::size_t k64KiB = 64 * 1024;

Bytes RandomBytes(std::mt19937& random, std::size_t count) {
    std::uniform_int_distribution<int> byte(0, 255);
    Bytes bytes(count);
    for (auto& b : bytes)
        b = static_cast<unsigned char>(byte(random));
    return bytes;
}

// Key "a" (0x61) over "Hi": counters 0x62 and 0x63.
//   'H' 0x48 ^ 0x62 = 0x2A, + 10 = 0x34;   'i' 0x69 ^ 0x63 = 0x0A, + 10 = 0x14.
TEST(KeyCipher, OneByteKeyOverTwoBytes) {
    const Bytes key = {0x61};
    const Bytes plain = {0x48, 0x69};
    const Bytes cipher = {0x34, 0x14};
    EXPECT_EQ(Forward(key, plain), cipher);
    EXPECT_EQ(Inverse(key, cipher), plain);

    Bytes file = Forward(key, plain);
    file.resize(file.size() + kTrailerLength);
    EXPECT_EQ(AppendEncryptedTrailer(file.data(), 2), 4u);
    EXPECT_EQ(file, (Bytes{0x34, 0x14, 0xDE, 0xAD}));
    EXPECT_TRUE(HasEncryptedTrailer(file.data(), file.size()));
}

// Key byte 0xFF: the counter wraps to 0x00 before its first use, then 0x01.
//   0xF8 ^ 0x00 = 0xF8, + 10 wraps to 0x02;   0x00 ^ 0x01 = 0x01, + 10 = 0x0B.
TEST(KeyCipher, KeyByteFFWrapsTheCounterFirst) {
    const Bytes key = {0xFF};
    EXPECT_EQ(Forward(key, {0xF8, 0x00}), (Bytes{0x02, 0x0B}));
    EXPECT_EQ(Inverse(key, {0x02, 0x0B}), (Bytes{0xF8, 0x00}));
}

// Passes run in key order and are undone in reverse order.
//   Key {0x00, 0x07} over 0x09: 0x09 ^ 0x01 = 0x08, + 10 = 0x12; 0x12 ^ 0x08 = 0x1A, + 10 = 0x24.
//   Key {0x07, 0x00} over 0x09: 0x09 ^ 0x08 = 0x01, + 10 = 0x0B; 0x0B ^ 0x01 = 0x0A, + 10 = 0x14.
TEST(KeyCipher, PassesFollowKeyOrder) {
    EXPECT_EQ(Forward({0x00, 0x07}, {0x09}), Bytes{0x24});
    EXPECT_EQ(Forward({0x07, 0x00}, {0x09}), Bytes{0x14});
    EXPECT_EQ(Inverse({0x00, 0x07}, {0x24}), Bytes{0x09});
    EXPECT_EQ(Inverse({0x07, 0x00}, {0x14}), Bytes{0x09});
}

// 63 key bytes of 0xFF: the first position's counter is 0x00 in every pass, so each pass only
// adds 10: 63 * 10 = 630 = 118 (mod 256).
TEST(KeyCipher, LongestKeyOverOneByte) {
    const Bytes key(kMaxKeyLength, 0xFF);
    EXPECT_EQ(Forward(key, {0x00}), Bytes{118});
    EXPECT_EQ(Inverse(key, {118}), Bytes{0x00});

    std::mt19937 random(63);
    for (int round = 0; round < 20; ++round) {
        const Bytes randomKey = RandomBytes(random, kMaxKeyLength);
        const Bytes plain = RandomBytes(random, 1 + round % 5);
        EXPECT_EQ(Inverse(randomKey, Forward(randomKey, plain)), plain);
    }
}

// Key "A" (counter 0x42): 0xB4 ^ 0x42 = 0xF6, + 10 = 0x00. A zero cipher byte stays a zero
// byte and decrypts back.
TEST(KeyCipher, ZeroBytesAndEmptyBuffers) {
    const Bytes key = {0x41};
    EXPECT_EQ(Forward(key, {0xB4}), Bytes{0x00});
    EXPECT_EQ(Inverse(key, {0x00}), Bytes{0xB4});

    // Nothing is touched when the length is 0 (or there is no key).
    unsigned char untouched[2] = {0x55, 0x66};
    Transform(key.data(), key.size(), CipherDirection::kForward, untouched, 0);
    Transform(key.data(), key.size(), CipherDirection::kInverse, untouched, 0);
    Transform(nullptr, 0, CipherDirection::kForward, untouched, 2);
    EXPECT_EQ(untouched[0], 0x55);
    EXPECT_EQ(untouched[1], 0x66);
}

// Every key length, and lengths on both sides of 64 KiB and of 256-position runs, compared with the
// literal passes in both directions.
TEST(KeyCipher, MatchesLiteralPassesForRandomKeysAndLengths) {
    std::mt19937 random(20240601);
    const std::size_t lengths[] = {1,    2,          255,    256,        257,
                                   1000, k64KiB - 1, k64KiB, k64KiB + 1, 300 * 1000 + 7};
    std::size_t round = 0;
    for (std::size_t keyLength = 1; keyLength <= kMaxKeyLength; ++keyLength, ++round) {
        const Bytes key = RandomBytes(random, keyLength);
        const std::size_t length = lengths[round % (sizeof lengths / sizeof lengths[0])];
        const Bytes plain = RandomBytes(random, length);

        Bytes expected = plain;
        LiteralCipherForward(key.data(), keyLength, expected.data(), length);
        const Bytes cipher = Forward(key, plain);
        ASSERT_EQ(cipher, expected) << "key length " << keyLength << ", length " << length;
        ASSERT_EQ(Inverse(key, cipher), plain) << "key length " << keyLength;

        // The inverse on bytes that were never encrypted follows its own literal passes too.
        Bytes expectedInverse = plain;
        LiteralCipherInverse(key.data(), keyLength, expectedInverse.data(), length);
        ASSERT_EQ(Inverse(key, plain), expectedInverse) << "key length " << keyLength;
    }
    // Random lengths up to a few hundred kilobytes.
    std::uniform_int_distribution<std::size_t> anyLength(0, 400 * 1000);
    std::uniform_int_distribution<std::size_t> anyKeyLength(1, kMaxKeyLength);
    for (int i = 0; i < 12; ++i) {
        const Bytes key = RandomBytes(random, anyKeyLength(random));
        const Bytes plain = RandomBytes(random, anyLength(random));
        Bytes expected = plain;
        LiteralCipherForward(key.data(), key.size(), expected.data(), expected.size());
        const Bytes cipher = Forward(key, plain);
        ASSERT_EQ(cipher, expected) << "key length " << key.size() << ", length " << plain.size();
        ASSERT_EQ(Inverse(key, cipher), plain);
    }
}

// A prepared table applied piece by piece, each piece told its position, gives the same bytes
// as the whole buffer at once.
TEST(KeyCipher, TableAppliedInPiecesMatchesWhole) {
    std::mt19937 random(7);
    const Bytes key = RandomBytes(random, 17);
    const Bytes plain = RandomBytes(random, 5000);
    Bytes expected = plain;
    LiteralCipherForward(key.data(), key.size(), expected.data(), expected.size());

    auto forward =
        std::make_unique<KeyCipherTable>(key.data(), key.size(), CipherDirection::kForward);
    auto inverse =
        std::make_unique<KeyCipherTable>(key.data(), key.size(), CipherDirection::kInverse);
    Bytes pieces = plain;
    const std::size_t cuts[] = {0, 1, 3, 256, 300, 511, 512, 4097, 5000};
    for (std::size_t c = 0; c + 1 < sizeof cuts / sizeof cuts[0]; ++c)
        forward->Apply(pieces.data() + cuts[c], cuts[c + 1] - cuts[c], cuts[c]);
    EXPECT_EQ(pieces, expected);
    inverse->Apply(pieces.data(), pieces.size());
    EXPECT_EQ(pieces, plain);
}

TEST(ContentChecksum, SumsUnsignedByteValues) {
    const unsigned char hi[] = {0x48, 0x69};
    EXPECT_EQ(ContentChecksum(hi, 2), 0xB1u);
    const unsigned char high[] = {0xFF, 0x80};
    EXPECT_EQ(ContentChecksum(high, 2), 0x17Fu); // bytes count as 0 to 255, never negative
    EXPECT_EQ(ContentChecksum(hi, 0), 0u);
}

// 0xFFFFFFFF = 0xFF * 0x01010101: that many 0xFF bytes sum to exactly 2^32 - 1, and one more
// wraps the sum to 0xFE.
TEST(ContentChecksum, WrapsModulo2To32) {
    const std::size_t toTheTop = 0x01010101u;
    Bytes bytes(toTheTop + 1, 0xFF);
    EXPECT_EQ(ContentChecksum(bytes.data(), toTheTop), 0xFFFFFFFFu);
    EXPECT_EQ(ContentChecksum(bytes.data(), toTheTop + 1), 0xFEu);
}

TEST(EncryptedTrailer, TestsTheLastTwoBytesOnly) {
    const unsigned char trailerOnly[] = {0xDE, 0xAD};
    EXPECT_TRUE(HasEncryptedTrailer(trailerOnly, 2));
    EXPECT_TRUE(IsTrailer(trailerOnly));
    // Never encrypted by the program, but ends in the trailer: still reported as encrypted.
    const unsigned char text[] = {'a', 'b', 0xDE, 0xAD};
    EXPECT_TRUE(HasEncryptedTrailer(text, 4));
    EXPECT_FALSE(HasEncryptedTrailer(text, 3));

    const unsigned char reversed[] = {'a', 0xAD, 0xDE};
    EXPECT_FALSE(HasEncryptedTrailer(reversed, 3));
    EXPECT_FALSE(IsTrailer(reversed + 1));
    // A file of 0 or 1 bytes is never encrypted, even when its one byte is part of a trailer.
    EXPECT_FALSE(HasEncryptedTrailer(trailerOnly + 1, 1));
    EXPECT_FALSE(HasEncryptedTrailer(trailerOnly, 0));

    EXPECT_EQ(LengthWithoutTrailer(0), 0u);
    EXPECT_EQ(LengthWithoutTrailer(1), 0u);
    EXPECT_EQ(LengthWithoutTrailer(2), 0u);
    EXPECT_EQ(LengthWithoutTrailer(10), 8u);
}

} // namespace
} // namespace vqtest
