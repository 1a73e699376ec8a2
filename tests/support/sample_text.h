// Sample contents for tests that check bytes kept exactly: a text with every kind of byte a
// document may hold, and bytes of every value for keys and binary files.
#ifndef VEILQUILL_TESTS_SAMPLE_TEXT_H
#define VEILQUILL_TESTS_SAMPLE_TEXT_H

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

namespace vqtest {

// A text of `size` bytes with zero bytes, line ends and high bytes in it.
inline std::string SampleText(std::size_t size) {
    std::string text(size, 'a');
    for (std::size_t i = 0; i < size; ++i) {
        if (i % 53 == 9)
            text[i] = '\0';
        else if (i % 71 == 70)
            text[i] = '\n';
        else if (i % 89 == 5)
            text[i] = '\xE9';
        else
            text[i] = static_cast<char>('a' + i % 26);
    }
    return text;
}

// `length` bytes drawn from a Mersenne Twister seeded with `seed`: any byte value can come,
// and the same seed always gives the same bytes.
inline std::string SampleBytes(std::size_t length, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::string bytes(length, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random() & 0xFF);
    return bytes;
}

} // namespace vqtest

#endif
