// Compares ParseHex with a plain reading of its rule on arbitrary texts, and checks the number
// texts around it: hexadecimal round trips, decimal texts against the C library, and grouping
// that never writes past its buffer.
#include "util/number_text.h"
#include "tests/support/decimal_text.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// Every character gives a digit modulo 16 ("A"-"F" and "a"-"f" both 10-15); each digit is
// shifted by four bits per place from the right, shift counts modulo 32, and added modulo 2^32.
std::uint32_t ReferenceParseHex(const std::string& text) {
    std::uint64_t sum = 0;
    const std::size_t n = text.size();
    for (std::size_t j = 0; j < n; ++j) {
        const int x = static_cast<unsigned char>(text[j]);
        const int difference = x < 'A' ? x - '0' : x - 'a' + 10;
        const std::uint64_t digit = static_cast<std::uint64_t>(((difference % 16) + 16) % 16);
        sum += digit << ((4 * (n - 1 - j)) % 32);
    }
    return static_cast<std::uint32_t>(sum);
}

bool AllHexDigits(const std::string& text) {
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<char> exact(data, data + size);
    exact.push_back('\0');
    const std::string text(exact.data());
    const std::uint32_t value = ParseHex(exact.data());
    Check(value == ReferenceParseHex(text));
    if (!text.empty() && text.size() <= 8 && AllHexDigits(text))
        Check(value == std::strtoul(text.c_str(), nullptr, 16));

    char hex[9];
    HexText8(value, hex);
    Check(std::strlen(hex) == 8 && ParseHex(hex) == value);

    // The same value as a signed and an unsigned decimal, grouped in a buffer of a size taken
    // from the input, with guard bytes behind it.
    char expected[16];
    std::snprintf(expected, sizeof expected, "%" PRId32, static_cast<std::int32_t>(value));
    char decimal[12];
    Check(vqtest::DecimalText(static_cast<std::int32_t>(value), decimal, sizeof decimal) ==
          std::strlen(expected));
    Check(std::strcmp(decimal, expected) == 0);

    const std::size_t capacity = size > 0 ? data[0] % 16 : 14;
    char grouped[16 + 8];
    std::memset(grouped, '#', sizeof grouped);
    const std::size_t digits = UnsignedDecimalText(value, grouped, capacity);
    const std::size_t length = GroupThousands(grouped, digits, capacity);
    for (std::size_t i = capacity; i < sizeof grouped; ++i)
        Check(grouped[i] == '#');
    if (digits > 0) {
        Check(length == std::strlen(grouped) && length < capacity);
        std::string withoutCommas;
        for (std::size_t i = 0; i < length; ++i) {
            if (grouped[i] != ',')
                withoutCommas += grouped[i];
        }
        std::snprintf(expected, sizeof expected, "%" PRIu32, value);
        Check(withoutCommas == expected);
    }
    return 0;
}
