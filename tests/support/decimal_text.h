// A signed value's decimal text, written as the number texts are: into a buffer of a given
// capacity, never past it, and not at all (an empty text, length 0) when it does not fit.
#ifndef VEILQUILL_TESTS_DECIMAL_TEXT_H
#define VEILQUILL_TESTS_DECIMAL_TEXT_H

#include <cinttypes>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace vqtest {

// "-5", "0", "150000". Returns the text's length.
inline std::size_t DecimalText(std::int32_t value, char* out, std::size_t capacity) {
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%" PRId32, value);
    if (out == nullptr || capacity == 0)
        return 0;
    if (length < 0 || static_cast<std::size_t>(length) + 1 > capacity) {
        out[0] = '\0';
        return 0;
    }
    std::memcpy(out, text, static_cast<std::size_t>(length) + 1);
    return static_cast<std::size_t>(length);
}

} // namespace vqtest

#endif
