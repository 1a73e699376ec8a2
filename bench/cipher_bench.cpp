// Throughput of the key cipher on a 64 MiB buffer for short, middle and longest keys, next to
// memcpy and the literal one-pass-per-key-byte form in the same run.
#include "cipher/key_cipher.h"
#include "tests/native/literal_cipher.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace {

constexpr std::size_t kBufferSize = 64u * 1024u * 1024u;
constexpr int kRepeats = 5;

// A small fixed-seed generator, so every run works on the same bytes.
std::uint32_t NextRandom(std::uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

// Best time of `repeats` runs, in seconds.
double BestSeconds(int repeats, const std::function<void()>& work) {
    double best = 1e30;
    for (int i = 0; i < repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const auto stop = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double>(stop - start).count());
    }
    return best;
}

double MegabytesPerSecond(double seconds) {
    return static_cast<double>(kBufferSize) / 1e6 / seconds;
}

} // namespace

int main() {
    std::uint32_t seed = 0x2545F491u;
    std::vector<unsigned char> plain(kBufferSize);
    for (auto& byte : plain)
        byte = static_cast<unsigned char>(NextRandom(seed) >> 24);
    std::vector<unsigned char> work(plain);
    std::vector<unsigned char> expected(kBufferSize);

    const double copyRate = MegabytesPerSecond(BestSeconds(kRepeats, [&] {
        std::memcpy(work.data(), plain.data(), kBufferSize);
    }));
    std::printf("buffer %zu MiB of random bytes; MB/s = 10^6 bytes per second; best of %d runs\n",
                kBufferSize >> 20, kRepeats);
    std::printf("memcpy                 %9.0f MB/s\n\n", copyRate);
    std::printf("%-4s %11s %11s %11s %10s %12s %6s\n", "key", "forward", "inverse", "literal",
                "fwd/memcpy", "fwd/literal", "check");

    const std::size_t keyLengths[] = {1, 8, 63};
    double slowest = 1e30;
    double fastest = 0;
    bool allMatch = true;
    for (std::size_t keyLength : keyLengths) {
        unsigned char key[kMaxKeyLength];
        for (std::size_t i = 0; i < keyLength; ++i)
            key[i] = static_cast<unsigned char>(NextRandom(seed) >> 24);

        // Each timed run transforms the buffer further; the rate does not depend on the bytes.
        std::memcpy(work.data(), plain.data(), kBufferSize);
        const double forward = MegabytesPerSecond(BestSeconds(kRepeats, [&] {
            KeyCipherForward(key, keyLength, work.data(), kBufferSize);
        }));
        const double inverse = MegabytesPerSecond(BestSeconds(kRepeats, [&] {
            KeyCipherInverse(key, keyLength, work.data(), kBufferSize);
        }));
        // After as many inverse runs as forward ones the buffer is plain again.
        bool match = work == plain;

        std::memcpy(expected.data(), plain.data(), kBufferSize);
        const double literal = MegabytesPerSecond(BestSeconds(1, [&] {
            LiteralCipherForward(key, keyLength, expected.data(), kBufferSize);
        }));
        std::memcpy(work.data(), plain.data(), kBufferSize);
        KeyCipherForward(key, keyLength, work.data(), kBufferSize);
        match = match && work == expected;
        allMatch = allMatch && match;

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
