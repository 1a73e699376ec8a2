// Decimal, grouped and hexadecimal texts as the status bar and the checksum records use them.
#include "util/number_text.h"
#include "tests/support/decimal_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace vqtest {
namespace {

constexpr char kGuard = '#';

std::string Decimal(std::int32_t value) {
    char text[16];
    const std::size_t length = DecimalText(value, text, sizeof text);
    EXPECT_EQ(length, std::strlen(text));
    return text;
}

// The unsigned decimal text of `value`, grouped, in a buffer of `capacity` bytes followed by
// guard bytes that must survive.
std::string GroupedSize(std::uint32_t value, std::size_t capacity = 14) {
    char buffer[32];
    std::memset(buffer, kGuard, sizeof buffer);
    const std::size_t digits = UnsignedDecimalText(value, buffer, capacity);
    const std::size_t length = GroupThousands(buffer, digits, capacity);
    EXPECT_EQ(length, std::strlen(buffer));
    for (std::size_t i = capacity; i < sizeof buffer; ++i)
        EXPECT_EQ(buffer[i], kGuard) << "written past the capacity at " << i;
    return buffer;
}

TEST(DecimalText, SignedValues) {
    EXPECT_EQ(Decimal(0), "0");
    EXPECT_EQ(Decimal(-5), "-5");
    EXPECT_EQ(Decimal(150000), "150000");
    EXPECT_EQ(Decimal(INT32_MAX), "2147483647");
    EXPECT_EQ(Decimal(INT32_MIN), "-2147483648");
}

TEST(DecimalText, TextThatDoesNotFitIsNotWritten) {
    char text[8];
    std::memset(text, kGuard, sizeof text);
    EXPECT_EQ(DecimalText(-123456, text, 7), 0u); // needs 8 bytes with its terminator
    EXPECT_STREQ(text, "");
    EXPECT_EQ(text[1], kGuard);
    EXPECT_EQ(DecimalText(-123456, text, 8), 7u);
    EXPECT_STREQ(text, "-123456");
    EXPECT_EQ(UnsignedDecimalText(10, text, 2), 0u);
    EXPECT_STREQ(text, "");
}

// Sizes of 2^31 bytes and more are unsigned numbers, never shown with a minus sign.
TEST(UnsignedDecimalText, LargeSizes) {
    char text[11];
    EXPECT_EQ(UnsignedDecimalText(0, text, sizeof text), 1u);
    EXPECT_STREQ(text, "0");
    EXPECT_EQ(UnsignedDecimalText(2147483648u, text, sizeof text), 10u);
    EXPECT_STREQ(text, "2147483648");
    EXPECT_EQ(UnsignedDecimalText(4294967295u, text, sizeof text), 10u);
    EXPECT_STREQ(text, "4294967295");
    // Sizes of 4 GiB and more are shown whole, never cut to 32 bits.
    EXPECT_EQ(UnsignedDecimalText(4294967299ull, text, sizeof text), 10u);
    EXPECT_STREQ(text, "4294967299");
    char wide[21];
    EXPECT_EQ(UnsignedDecimalText(18446744073709551615ull, wide, sizeof wide), 20u);
    EXPECT_STREQ(wide, "18446744073709551615");
    EXPECT_EQ(UnsignedDecimalText(18446744073709551615ull, wide, 20), 0u);
}

TEST(GroupThousands, GroupsFromTheRight) {
    EXPECT_EQ(GroupedSize(0), "0");
    EXPECT_EQ(GroupedSize(999), "999");
    EXPECT_EQ(GroupedSize(1000), "1,000");
    EXPECT_EQ(GroupedSize(12345), "12,345");
    EXPECT_EQ(GroupedSize(123456), "123,456");
    EXPECT_EQ(GroupedSize(1234567), "1,234,567");
    EXPECT_EQ(GroupedSize(123456789), "123,456,789");
    EXPECT_EQ(GroupedSize(1000000000), "1,000,000,000");
    EXPECT_EQ(GroupedSize(4294967295u), "4,294,967,295");
}

TEST(GroupThousands, TooSmallBufferLeavesTheDigits) {
    // "4,294,967,295" needs 14 bytes; with 13 the digits stay as they are.
    EXPECT_EQ(GroupedSize(4294967295u, 13), "4294967295");
    EXPECT_EQ(GroupedSize(1000, 6), "1,000");
    EXPECT_EQ(GroupedSize(1000, 5), "1000");
}

TEST(GroupThousands, MinusSignTakesNoComma) {
    char text[16] = "-123";
    EXPECT_EQ(GroupThousands(text, 4, sizeof text), 4u);
    EXPECT_STREQ(text, "-123");
    std::strcpy(text, "-1234567");
    EXPECT_EQ(GroupThousands(text, 8, sizeof text), 10u);
    EXPECT_STREQ(text, "-1,234,567");
}

TEST(HexText8, EightUpperCaseDigits) {
    char text[9];
    HexText8(1000, text);
    EXPECT_STREQ(text, "000003E8");
    HexText8(0, text);
    EXPECT_STREQ(text, "00000000");
    HexText8(0xFFFFFFFFu, text);
    EXPECT_STREQ(text, "FFFFFFFF");
    HexText8(0x89ABCDEFu, text);
    EXPECT_STREQ(text, "89ABCDEF");
}

TEST(ParseHex, EitherCase) {
    EXPECT_EQ(ParseHex("000003e8"), 1000u);
    EXPECT_EQ(ParseHex("000003E8"), 1000u);
    EXPECT_EQ(ParseHex("3e8"), 1000u);
    EXPECT_EQ(ParseHex(""), 0u);
    EXPECT_EQ(ParseHex("FFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseHex("abcdef01"), 0xABCDEF01u);
    EXPECT_EQ(ParseHex("0123456789"),
              0x23456789u + 0x01u); // the ninth digit from the right wraps to shift 0

    char text[9];
    for (std::uint32_t value : {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xDEADBEEFu}) {
        HexText8(value, text);
        EXPECT_EQ(ParseHex(text), value) << text;
    }
}

// Characters that are not hexadecimal digits still give a digit, taken modulo 16.
TEST(ParseHex, OtherCharactersTakeTheirValueModulo16) {
    EXPECT_EQ(ParseHex(":"), 10u);    // '9' + 1
    EXPECT_EQ(ParseHex("g"), 0u);     // 'f' + 1
    EXPECT_EQ(ParseHex("G"), 0u);     // 'F' + 1
    EXPECT_EQ(ParseHex(" "), 0u);     // 0x20 - '0' = -16
    EXPECT_EQ(ParseHex("\xC1"), 10u); // a byte above 0x7F counts as at or above "A"
}

} // namespace
} // namespace vqtest
