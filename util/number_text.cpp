#include "util/number_text.h"

#include <cstring>

namespace {

// Writes the decimal digits of `magnitude` into `out`.
std::size_t WriteDecimal(std::uint64_t magnitude, char* out, std::size_t capacity) {
    char digits[20]; // 18446744073709551615 has twenty digits
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);

    const std::size_t length = count;
    if (out == nullptr || capacity == 0)
        return 0;
    if (length + 1 > capacity) {
        out[0] = '\0';
        return 0;
    }
    std::size_t at = 0;
    while (count > 0)
        out[at++] = digits[--count];
    out[at] = '\0';
    return length;
}

} // namespace

std::size_t UnsignedDecimalText(std::uint64_t value, char* out, std::size_t capacity) {
    return WriteDecimal(value, out, capacity);
}

std::size_t GroupThousands(char* text, std::size_t length, std::size_t capacity) {
    if (text == nullptr)
        return 0;
    // A leading minus sign is not a digit and takes no comma after it.
    const std::size_t signLength = (length > 0 && text[0] == '-') ? 1 : 0;
    char* const digits = text + signLength;
    const std::size_t digitCount = length - signLength;
    if (digitCount <= 3)
        return length;
    const std::size_t commas = (digitCount - 1) / 3;
    const std::size_t newLength = length + commas;
    if (newLength + 1 > capacity)
        return length;

    // Filled from the right, so every digit is read before its place is written.
    std::size_t from = digitCount;
    std::size_t to = digitCount + commas;
    digits[to] = '\0';
    std::size_t inGroup = 0;
    while (from > 0) {
        if (inGroup == 3) {
            digits[--to] = ',';
            inGroup = 0;
        }
        digits[--to] = digits[--from];
        ++inGroup;
    }
    return newLength;
}

void HexText8(std::uint32_t value, char out[9]) {
    static const char kDigits[] = "0123456789ABCDEF";
    for (int i = 7; i >= 0; --i) {
        out[i] = kDigits[value & 0xFu];
        value >>= 4;
    }
    out[8] = '\0';
}

std::uint32_t ParseHex(const char* text) {
    if (text == nullptr)
        return 0;
    const std::size_t length = std::strlen(text);
    std::uint32_t value = 0;
    for (std::size_t j = 0; j < length; ++j) {
        const auto x = static_cast<unsigned char>(text[j]);
        // 'a' - 'A' is 32, so upper and lower case letters give the same digit modulo 16.
        const std::uint32_t digit =
            x < 'A' ? (x - std::uint32_t{'0'}) & 0xFu : (x - std::uint32_t{'a'} + 10) & 0xFu;
        // A text of more than eight digits wraps its shift counts modulo 32.
        const unsigned shift = static_cast<unsigned>(((length - 1 - j) % 8) * 4);
        value += digit << shift;
    }
    return value;
}
