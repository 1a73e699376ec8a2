// Throughput of the key cipher on a 64 MiB buffer for short, middle and longest keys, next to
// memcpy and the literal one-pass-per-key-byte form in the same run.
#include "cipher/key_cipher.h"
#include "tests/support/literal_cipher.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t kBufferSize = 64u * 1024u * 1024u;
// Every measurement is taken once per round and the best round counts, so that a burst of
// load from other processes does not fall on one key length only.
constexpr int kRounds = 7;
constexpr std::size_t kKeyLengths[] = {1, 8, 63};
constexpr std::size_t kKeyCount = sizeof kKeyLengths / sizeof kKeyLengths[0];

// A small fixed-seed generator, so every run works on the same bytes.
std::uint32_t NextRandom(std::uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

// Processor time of this process in seconds: time the processor gave to other programs on a
// busy machine does not count against the cipher.
template <typename Work> double Seconds(Work work) {
    const std::clock_t start = std::clock();
    work();
    const std::clock_t stop = std::clock();
    return static_cast<double>(stop - start) / CLOCKS_PER_SEC;
}

// The cipher as the program runs it on a whole buffer: the key prepared into a table first.
void Transform(const unsigned char* key, std::size_t keyLength, CipherDirection direction,
               unsigned char* data, std::size_t length) {
    std::make_unique<KeyCipherTable>(key, keyLength, direction)->Apply(data, length);
}

double MegabytesPerSecond(double seconds) {
    return static_cast<double>(kBufferSize) / 1e6 / seconds;
}

} // namespace

using vqtest::LiteralCipherForward;

int main() {
    std::uint32_t seed = 0x2545F491u;
    std::vector<unsigned char> plain(kBufferSize);
    for (auto& byte : plain)
        byte = static_cast<unsigned char>(NextRandom(seed) >> 24);
    std::vector<unsigned char> work(plain);
    std::vector<unsigned char> expected(kBufferSize);

    unsigned char keys[kKeyCount][kMaxKeyLength];
    for (auto& key : keys) {
        for (auto& byte : key)
            byte = static_cast<unsigned char>(NextRandom(seed) >> 24);
    }

    double copyBest = 1e30;
    double forwardBest[kKeyCount];
    double inverseBest[kKeyCount];
    std::fill(forwardBest, forwardBest + kKeyCount, 1e30);
    std::fill(inverseBest, inverseBest + kKeyCount, 1e30);
    for (int round = 0; round < kRounds; ++round) {
        copyBest = std::min(copyBest,
                            Seconds([&] { std::memcpy(work.data(), plain.data(), kBufferSize); }));
        for (std::size_t k = 0; k < kKeyCount; ++k) {
            // Forward then inverse: the buffer is plain again after every round.
            forwardBest[k] =
                std::min(forwardBest[k], Seconds([&] {
                             Transform(keys[k], kKeyLengths[k], CipherDirection::kForward,
                                       work.data(), kBufferSize);
                         }));
            inverseBest[k] =
                std::min(inverseBest[k], Seconds([&] {
                             Transform(keys[k], kKeyLengths[k], CipherDirection::kInverse,
                                       work.data(), kBufferSize);
                         }));
        }
    }
    bool allMatch = work == plain;

    const double copyRate = MegabytesPerSecond(copyBest);
    std::printf("buffer %zu MiB of random bytes; MB/s = 10^6 bytes per second of processor "
                "time; best of %d rounds\n",
                kBufferSize >> 20, kRounds);
    std::printf("memcpy %9.0f MB/s\n\n", copyRate);
    std::printf("%-4s %11s %11s %11s %10s %12s %6s\n", "key", "forward", "inverse", "literal",
                "fwd/memcpy", "fwd/literal", "check");

    double slowest = 1e30;
    double fastest = 0;
    for (std::size_t k = 0; k < kKeyCount; ++k) {
        const std::size_t keyLength = kKeyLengths[k];
        std::memcpy(expected.data(), plain.data(), kBufferSize);
        const double literal = MegabytesPerSecond(Seconds(
            [&] { LiteralCipherForward(keys[k], keyLength, expected.data(), kBufferSize); }));
        std::memcpy(work.data(), plain.data(), kBufferSize);
        Transform(keys[k], keyLength, CipherDirection::kForward, work.data(), kBufferSize);
        const bool match = work == expected;
        allMatch = allMatch && match;

        const double forward = MegabytesPerSecond(forwardBest[k]);
        const double inverse = MegabytesPerSecond(inverseBest[k]);
        slowest = std::min({slowest, forward, inverse});
        fastest = std::max({fastest, forward, inverse});
        std::printf("%-4zu %6.0f MB/s %6.0f MB/s %6.0f MB/s %10.2f %12.1f %6s\n", keyLength,
                    forward, inverse, literal, forward / copyRate, forward / literal,
                    match ? "ok" : "WRONG");
    }
    std::printf("\nspread across key lengths (fastest / slowest - 1): %.1f %%\n",
                (fastest / slowest - 1.0) * 100.0);
    return allMatch ? 0 : 1;
}
