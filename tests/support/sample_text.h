// Texts for tests that check bytes kept exactly: every kind of byte a document may hold.
#ifndef VEILQUILL_TESTS_SAMPLE_TEXT_H
#define VEILQUILL_TESTS_SAMPLE_TEXT_H

#include <cstddef>
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

} // namespace vqtest

#endif
