// The strong format against its known answers, byte for byte, with the cryptographic library
// the programs use (linked on Linux; under Wine the DLLs beside the test program, loaded the
// way the programs load them), and every way a header or a payload can be refused or damaged.
#include "core/strong_file.h"
#include "core/strong_payload.h"
#include "platform/crypto_library.h"
#include "tests/support/delegating_primitives.h"
#include "tests/support/strong_oracle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace vqtest {
namespace {

using Bytes = std::vector<unsigned char>;

std::string ToHex(const unsigned char* data, std::size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (std::size_t i = 0; i < size; ++i)
        hex += {digits[data[i] >> 4], digits[data[i] & 15]};
    return hex;
}

Bytes Counting(std::size_t size, unsigned char first) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(first + i);
    return bytes;
}

// The library's primitives, counting the key derivations asked of them.
// A cheap cost for the tests that only need some strong file.
constexpr Argon2Cost kCheapCost{8192, 1, 1};

struct Reading {
    StrongFileState state = StrongFileState::kFailed;
    bool opened = false;
    std::uint64_t badChunk = 0;
    Bytes plain;
};

class StrongFormat : public ::testing::Test {
  protected:
    void SetUp() override {
        const CryptoLibrary library = OpenCryptoLibrary();
        ASSERT_NE(nullptr, library.primitives) << "the library is missing: " << library.file;
        primitives_ = library.primitives;
    }

    static void SetKey(SecretKey& key, const std::string& text) {
        ASSERT_EQ(KeyProblem::kNone,
                  key.Assign(reinterpret_cast<const unsigned char*>(text.data()), text.size()));
    }

    // The whole file, its plain text sealed in pieces of `piece` bytes.
    Bytes Encrypt(const std::string& keyText, const Argon2Cost& cost, const Bytes& plain,
                  std::size_t piece = kStrongPlainPieceSize) const {
        SecretKey key;
        SetKey(key, keyText);
        const Bytes salt = Counting(16, 0x00), fileNonce = Counting(16, 0xA0);
        Bytes file(kStrongHeaderLength);
        StrongKeys keys;
        EXPECT_TRUE(WriteStrongHeader(*primitives_, key, cost, salt.data(), fileNonce.data(),
                                      file.data(), keys));
        StrongPayloadWriter writer(*primitives_, keys);
        Bytes sealed(StrongPayloadLayout::OfPlainText(piece).payloadLength);
        for (std::size_t done = 0; done < plain.size();) {
            const std::size_t length = std::min(piece, plain.size() - done);
            std::size_t sealedLength = 0;
            EXPECT_TRUE(writer.Seal(plain.data() + done, length, done + length == plain.size(),
                                    sealed.data(), sealedLength));
            file.insert(file.end(), sealed.begin(), sealed.begin() + sealedLength);
            done += length;
        }
        EXPECT_TRUE(writer.Finished());
        file.insert(file.end(), {kTrailerBytes[0], kTrailerBytes[1]});
        return file;
    }

    // Unlocks the file with the key and opens its payload in pieces of `chunksPerPiece` chunks.
    Reading Decrypt(const StrongPrimitives& primitives, const std::string& keyText,
                    const Bytes& file, std::size_t chunksPerPiece = kStrongChunksPerPiece) const {
        SecretKey key;
        SetKey(key, keyText);
        const std::size_t headLength = std::min(file.size(), kStrongHeaderLength);
        const StrongFileStart start{
            file.size(), file.data(), headLength,
            file.data() + file.size() - std::min<std::size_t>(2, file.size()),
            ByteRange{file.data() + headLength,
                      StrongPayloadLayout::OfFile(file.size()).FirstChunkLength()}};
        Reading reading;
        StrongKeys keys;
        reading.state = UnlockStrongFile(primitives, key, start, keys);
        if (reading.state != StrongFileState::kUnlocked)
            return reading;
        StrongPayloadReader reader(primitives, keys, StrongPayloadLayout::OfFile(file.size()));
        const std::size_t payloadEnd = file.size() - kTrailerLength;
        const std::size_t piece = chunksPerPiece * kStrongStoredChunkSize;
        Bytes plain(piece);
        for (std::size_t at = kStrongHeaderLength; at < payloadEnd; at += piece) {
            const std::size_t length = std::min(piece, payloadEnd - at);
            std::fill(plain.begin(), plain.end(), 0xEE);
            std::size_t plainLength = 0;
            if (!reader.Open(file.data() + at, length, plain.data(), plainLength)) {
                reading.badChunk = reader.BadChunk();
                // Nothing of a piece that failed is handed out, not even its good chunks.
                EXPECT_EQ(0u, plainLength);
                EXPECT_TRUE(std::all_of(plain.begin(), plain.begin() + length,
                                        [](unsigned char b) { return b == 0 || b == 0xEE; }));
                return reading;
            }
            reading.plain.insert(reading.plain.end(), plain.begin(), plain.begin() + plainLength);
        }
        reading.opened = reader.Finished();
        return reading;
    }

    const StrongPrimitives* primitives_ = nullptr;
};

TEST_F(StrongFormat, KnownAnswerFilesAreWrittenAndReadByteForByte) {
    const std::string hello = "Hello, world!\r\n";
    const Bytes helloFile =
        Encrypt("correct horse", kStrongWriterCost, Bytes(hello.begin(), hello.end()));
    EXPECT_EQ("895651320d0a1a0a01010110000001000300000001000000000102030405060708090a0b0c0d0e0f"
              "a0a1a2a3a4a5a6a7a8a9aaabacadaeaf149141c880673ec10c4d8ad1b9f262a1b70a0bdf769ebbdd"
              "2809322d2367148e93d217b77c3ea8594635d3040116ffa9ea55b65b794dc0a800af577d0df4360a"
              "b4f3d0dead",
              ToHex(helloFile.data(), helloFile.size()));
    EXPECT_EQ(StrongFileSize(hello.size()), helloFile.size());
    const Reading helloRead = Decrypt(*primitives_, "correct horse", helloFile);
    EXPECT_TRUE(helloRead.opened);
    EXPECT_EQ(hello, std::string(helloRead.plain.begin(), helloRead.plain.end()));

    // Two chunks, written in a whole chunk and the rest, read a chunk at a time.
    const Bytes counting = Counting(65541, 0);
    const Bytes twoChunks = Encrypt("K", kStrongWriterCost, counting, kStrongChunkSize);
    ASSERT_EQ(65667u, twoChunks.size());
    EXPECT_EQ(StrongFileSize(counting.size()), twoChunks.size());
    unsigned char digest[kSha256Length];
    ASSERT_TRUE(primitives_->Sha256(twoChunks.data(), twoChunks.size(), digest));
    EXPECT_EQ("84f03cffd727552883189fc3fd1c70aa671b7351b34276551e54f686e17d2466",
              ToHex(digest, sizeof digest));
    EXPECT_EQ("895651320d0a1a0a01010110000001000300000001000000000102030405060708090a0b0c0d0e0f"
              "a0a1a2a3a4a5a6a7a8a9aaabacadaeaf149141c8cbc55a220e2975ecc8e7fb90453e6b860994a8f1"
              "6dfc18140ad2ef492dff4429",
              ToHex(twoChunks.data(), kStrongHeaderLength));
    const Reading twoRead = Decrypt(*primitives_, "K", twoChunks, 1);
    EXPECT_TRUE(twoRead.opened);
    EXPECT_TRUE(twoRead.plain == counting);
}

void Put32(Bytes& file, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        file[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// Every header field changed: what the reader makes of it, and that only a header it reads
// costs a key derivation. A bit flipped anywhere in the header makes a damaged file, never
// one of the original format or a wrong key.
TEST_F(StrongFormat, HeadersAreRefusedDamagedOrTheKeyFoundWrongAfterOneDerivationAtMost) {
    struct Change {
        const char* what;
        std::size_t at;
        std::size_t width; // 1 or 4 bytes set to `value`; 0: the byte's lowest bit flipped
        std::uint32_t value;
        bool checkMended; // the header check made to match again, as a newer writer would
        StrongFileState expected;
    };
    using S = StrongFileState;
    const Change changes[] = {
        {"nothing", 0, 1, 0x89, false, S::kUnlocked},
        {"magic", 0, 0, 0, true, S::kNotStrong},
        {"version without the header check", kStrongVersionAt, 1, 2, false, S::kDamagedHeader},
        {"version", kStrongVersionAt, 1, 2, true, S::kRefused},
        {"cipher", kStrongCipherAt, 1, 2, true, S::kRefused},
        {"key derivation", kStrongKdfAt, 1, 0, true, S::kRefused},
        {"chunk size", kStrongChunkBitsAt, 1, 17, true, S::kRefused},
        {"memory below", kStrongMemoryAt, 4, 8191, true, S::kRefused},
        {"memory above", kStrongMemoryAt, 4, 262145, true, S::kRefused},
        {"passes below", kStrongPassesAt, 4, 0, true, S::kRefused},
        {"passes above", kStrongPassesAt, 4, 11, true, S::kRefused},
        {"lanes below", kStrongLanesAt, 4, 0, true, S::kRefused},
        {"lanes above", kStrongLanesAt, 4, 5, true, S::kRefused},
        {"memory within reach", kStrongMemoryAt, 4, 8200, true, S::kWrongKey},
        {"salt, the header check mended", kStrongSaltAt + 3, 0, 0, true, S::kWrongKey},
        {"file nonce, the header check mended", kStrongFileNonceAt + 15, 0, 0, true, S::kWrongKey},
        // What a flipped bit does: the header check tells it, with no key derivation.
        {"magic's last byte", kStrongMagicLength - 1, 0, 0, false, S::kNotStrong},
        {"version", kStrongVersionAt, 0, 0, false, S::kDamagedHeader},
        {"chunk size", kStrongChunkBitsAt, 0, 0, false, S::kDamagedHeader},
        {"memory", kStrongMemoryAt + 1, 0, 0, false, S::kDamagedHeader},
        {"passes", kStrongPassesAt, 0, 0, false, S::kDamagedHeader},
        {"lanes", kStrongLanesAt + 3, 0, 0, false, S::kDamagedHeader},
        {"salt", kStrongSaltAt + 3, 0, 0, false, S::kDamagedHeader},
        {"file nonce", kStrongFileNonceAt + 15, 0, 0, false, S::kDamagedHeader},
        {"header check", kStrongHeaderCheckAt + 2, 0, 0, false, S::kDamagedHeader},
        // The right key opens chunk 0: the key check is damaged, not the key wrong.
        {"key check's first byte", kStrongKeyCheckAt, 0, 0, false, S::kDamagedKeyCheck},
        {"key check's last byte", kStrongKeyCheckAt + 31, 0, 0, false, S::kDamagedKeyCheck},
    };
    const Bytes original = Encrypt("K", kCheapCost, Counting(40, 'a'));
    for (const Change& change : changes) {
        Bytes file = original;
        if (change.width == 4)
            Put32(file, change.at, change.value);
        else if (change.width == 1)
            file[change.at] = static_cast<unsigned char>(change.value);
        else
            file[change.at] ^= 1;
        if (change.checkMended) {
            unsigned char digest[kSha256Length];
            ASSERT_TRUE(primitives_->Sha256(file.data(), kStrongHeaderCheckAt, digest));
            std::copy(digest, digest + kStrongHeaderCheckLength,
                      file.begin() + kStrongHeaderCheckAt);
        }
        CountingPrimitives counting(*primitives_);
        const Reading reading = Decrypt(counting, "K", file);
        EXPECT_EQ(change.expected, reading.state) << change.what;
        const bool derives = change.expected == S::kUnlocked || change.expected == S::kWrongKey ||
                             change.expected == S::kDamagedKeyCheck;
        EXPECT_EQ(derives ? 1 : 0, counting.derivations) << change.what;
    }
    CountingPrimitives counting(*primitives_);
    EXPECT_EQ(S::kWrongKey, Decrypt(counting, "k", original).state);
    EXPECT_EQ(1, counting.derivations);
    // A wrong key with a damaged key check is still a wrong key; so is one with chunk 0
    // damaged as well as the key check.
    Bytes keyCheckAndChunk = original;
    keyCheckAndChunk[kStrongKeyCheckAt] ^= 1;
    EXPECT_EQ(S::kWrongKey, Decrypt(*primitives_, "k", keyCheckAndChunk).state);
    keyCheckAndChunk[kStrongHeaderLength + 5] ^= 1;
    EXPECT_EQ(S::kWrongKey, Decrypt(*primitives_, "K", keyCheckAndChunk).state);
}

// Three chunks (two whole, one of 100 bytes) altered, reordered and cut: the chunk that fails
// first is named, and nothing is handed out of the piece it is in.
TEST_F(StrongFormat, DamagedPayloadsNameTheirFirstBadChunk) {
    const Bytes plain = Counting(2 * kStrongChunkSize + 100, 7);
    const Bytes original = Encrypt("K", kCheapCost, plain);
    const std::size_t chunk0 = kStrongHeaderLength, chunk1 = chunk0 + kStrongStoredChunkSize,
                      chunk2 = chunk1 + kStrongStoredChunkSize, trailer = original.size() - 2;
    // The same plain text sealed with the last-chunk flag on chunk `flagged` alone.
    const auto flaggedOn = [&](std::uint64_t flagged) {
        SecretKey key;
        SetKey(key, "K");
        Bytes file(original.begin(), original.begin() + kStrongHeaderLength);
        StrongKeys keys;
        EXPECT_TRUE(keys.Derive(*primitives_, key, kCheapCost, file.data() + kStrongSaltAt,
                                file.data() + kStrongFileNonceAt));
        Bytes sealed(kStrongStoredChunkSize);
        for (std::uint64_t i = 0; i < 3; ++i) {
            const std::size_t length = i < 2 ? kStrongChunkSize : 100;
            EXPECT_TRUE(SealStrongChunk(*primitives_, keys, i, i == flagged,
                                        plain.data() + i * kStrongChunkSize, length,
                                        sealed.data()));
            file.insert(file.end(), sealed.begin(), sealed.begin() + length + kAeadTagLength);
        }
        file.insert(file.end(), {kTrailerBytes[0], kTrailerBytes[1]});
        return file;
    };
    const auto without = [&](std::size_t from, std::size_t to) {
        Bytes file = original;
        file.erase(file.begin() + from, file.begin() + to);
        return file;
    };
    const auto flipped = [&](std::size_t at) {
        Bytes file = original;
        file[at] ^= 0x40;
        return file;
    };
    Bytes swapped = original;
    std::swap_ranges(swapped.begin() + chunk0, swapped.begin() + chunk1, swapped.begin() + chunk1);

    struct Damage {
        const char* what;
        Bytes file;
        StrongFileState expected;
        std::uint64_t badChunk;
    };
    using S = StrongFileState;
    const Damage damages[] = {
        {"a byte of the middle chunk", flipped(chunk1 + 10), S::kUnlocked, 1},
        {"a byte of the last tag", flipped(trailer - 1), S::kUnlocked, 2},
        {"the first two chunks swapped", swapped, S::kUnlocked, 0},
        {"cut inside the last chunk", without(trailer - 50, trailer), S::kUnlocked, 2},
        {"cut at a chunk boundary", without(chunk2, trailer), S::kUnlocked, 1},
        {"the last flag on the middle chunk", flaggedOn(1), S::kUnlocked, 1},
        {"the last flag on no chunk", flaggedOn(3), S::kUnlocked, 2},
        {"a last chunk too short for its tag", without(chunk2 + 16, trailer), S::kDamagedPayload,
         0},
        {"shorter than any strong file", without(kStrongHeaderLength + 16, trailer), S::kNotStrong,
         0},
    };
    EXPECT_TRUE(flaggedOn(2) == original) << "the flag is on the last chunk alone";
    for (const Damage& damage : damages) {
        CountingPrimitives counting(*primitives_);
        const Reading reading = Decrypt(counting, "K", damage.file);
        EXPECT_EQ(damage.expected, reading.state) << damage.what;
        EXPECT_FALSE(reading.opened) << damage.what;
        EXPECT_EQ(damage.badChunk, reading.badChunk) << damage.what;
        EXPECT_EQ(damage.expected == S::kUnlocked ? 1 : 0, counting.derivations) << damage.what;
    }
}

// A piece that would cut a chunk in the middle of the payload makes a file no one can read.
TEST_F(StrongFormat, TheWriterSealsWholeChunksUntilItsFinalPiece) {
    const StrongKeys keys; // any keys will do
    const Bytes plain(kStrongChunkSize + 1, 'x');
    Bytes sealed(StrongPayloadLayout::OfPlainText(plain.size()).payloadLength);
    std::size_t length = 0;
    StrongPayloadWriter cut(*primitives_, keys), empty(*primitives_, keys),
        ended(*primitives_, keys);
    EXPECT_FALSE(cut.Seal(plain.data(), plain.size(), false, sealed.data(), length));
    EXPECT_FALSE(empty.Seal(plain.data(), 0, true, sealed.data(), length));
    EXPECT_TRUE(ended.Seal(plain.data(), plain.size(), true, sealed.data(), length));
    EXPECT_FALSE(ended.Seal(plain.data(), 1, true, sealed.data(), length));
}

// The writer's layout and the reader's agree at every chunk boundary: a file of the size the
// writer makes is read back as the same plain size, and one byte less cuts its last chunk.
TEST(StrongPayloadLayout, WriterAndReaderAgreeOnChunkBoundaries) {
    for (const std::uint64_t plain :
         {1ull, 2ull, 65535ull, 65536ull, 65537ull, 131072ull, 131073ull, 16ull * 65536 + 1}) {
        const StrongPayloadLayout written = StrongPayloadLayout::OfPlainText(plain);
        const std::uint64_t fileSize = StrongFileSize(plain);
        EXPECT_EQ(fileSize, kStrongHeaderLength + written.payloadLength + kTrailerLength) << plain;
        const StrongPayloadLayout read = StrongPayloadLayout::OfFile(fileSize);
        EXPECT_TRUE(read.whole) << plain;
        EXPECT_EQ(plain, read.plainSize) << plain;
        EXPECT_EQ(written.chunkCount, read.chunkCount) << plain;
        EXPECT_EQ(written.StoredChunkLength(written.chunkCount - 1),
                  read.StoredChunkLength(read.chunkCount - 1))
            << plain;
        const bool lastChunkHoldsOneByte = plain % kStrongChunkSize == 1;
        EXPECT_EQ(!lastChunkHoldsOneByte, StrongPayloadLayout::OfFile(fileSize - 1).whole) << plain;
    }
    EXPECT_FALSE(StrongPayloadLayout::OfFile(kStrongHeaderLength + kTrailerLength).whole);
    EXPECT_FALSE(StrongPayloadLayout::OfFile(0).whole);
}

TEST_F(StrongFormat, NewHeadersHaveTheWritersCostAndAFreshSaltAndNonce) {
    SecretKey key;
    SetKey(key, "K");
    unsigned char first[kStrongHeaderLength], second[kStrongHeaderLength];
    StrongKeys keys;
    ASSERT_TRUE(NewStrongHeader(*primitives_, key, first, keys));
    ASSERT_TRUE(NewStrongHeader(*primitives_, key, second, keys));
    const Argon2Cost cost = StrongHeaderCost(first);
    EXPECT_EQ("65536 3 1", std::to_string(cost.memoryKiB) + " " + std::to_string(cost.passes) +
                               " " + std::to_string(cost.lanes));
    // The salt and the file nonce differ from each other and from the other header's.
    const std::string salt(first + kStrongSaltAt, first + kStrongFileNonceAt),
        nonce(first + kStrongFileNonceAt, first + kStrongHeaderCheckAt),
        other(second + kStrongSaltAt, second + kStrongHeaderCheckAt);
    EXPECT_NE(salt, nonce);
    EXPECT_NE(salt + nonce, other);
}

// The file's known answers take one block of HKDF's output; RFC 5869's first case takes two.
TEST_F(StrongFormat, HkdfGivesRfc5869sFirstAnswer) {
    const Bytes material(22, 0x0B), salt = Counting(13, 0), info = Counting(10, 0xF0);
    unsigned char prk[kSha256Length];
    ASSERT_TRUE(
        HkdfExtract(*primitives_, salt.data(), salt.size(), material.data(), material.size(), prk));
    EXPECT_EQ("077709362c2e32df0ddc3f0dc47bba6390b6c73bb50f9c3122ec844ad7c2b3e5",
              ToHex(prk, sizeof prk));
    unsigned char out[42];
    ASSERT_TRUE(HkdfExpand(*primitives_, prk, info.data(), info.size(), out, sizeof out));
    EXPECT_EQ(
        "3cb25f25faacd57a90434f64d0362f2a2d2d0a90cf1a5a4c5db02d56ecc4c5bf34007208d5b887185865",
        ToHex(out, sizeof out));
}

} // namespace
} // namespace vqtest
