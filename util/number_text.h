// Number texts shown in the status bar and stored in checksum records.
// Every routine takes the destination's capacity and never writes past it; a text that does
// not fit is not written (the destination becomes empty) and the routine returns 0.
#ifndef VEILQUILL_NUMBER_TEXT_H
#define VEILQUILL_NUMBER_TEXT_H

#include <cstddef>
#include <cstdint>

// Decimal digits of an unsigned value: sizes of 2^31 and more never show a minus sign, and
// sizes of 4 GiB and more are shown whole.
std::size_t UnsignedDecimalText(std::uint64_t value, char* out, std::size_t capacity);

// Inserts commas between groups of three digits counted from the right, in place
// ("12345" becomes "12,345"). `length` is the digit count; returns the new length, or
// leaves the text unchanged and returns `length` when the grouped text would not fit.
std::size_t GroupThousands(char* text, std::size_t length, std::size_t capacity);

// Exactly 8 upper-case hexadecimal digits and a terminator; `out` holds 9 bytes.
void HexText8(std::uint32_t value, char out[9]);

// Value of a hexadecimal text (0-9, A-F, a-f); an empty text gives 0. Every character counts
// as a digit: below 'A' its distance from '0', otherwise from 'a' plus 10, both modulo 16.
// Digits are shifted four bits per place from the right with shift counts modulo 32 and
// added modulo 2^32, so only a text of at most eight digits has its ordinary value.
std::uint32_t ParseHex(const char* text);

#endif
