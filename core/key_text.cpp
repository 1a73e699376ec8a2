#include "core/key_text.h"

#include <cstdint>
#include <cstring>

bool IsUtf8(const unsigned char* bytes, std::size_t length) {
    std::size_t i = 0;
    while (i < length) {
        const unsigned char lead = bytes[i];
        std::size_t more = 0;
        std::uint32_t value = 0;
        std::uint32_t least = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            more = 1, value = lead & 0x1Fu, least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            more = 2, value = lead & 0x0Fu, least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            more = 3, value = lead & 0x07u, least = 0x10000;
        } else {
            return false;
        }
        if (length - i <= more)
            return false;
        for (std::size_t k = 1; k <= more; ++k) {
            const unsigned char next = bytes[i + k];
            if ((next & 0xC0) != 0x80)
                return false;
            value = (value << 6) | (next & 0x3Fu);
        }
        if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        i += more + 1;
    }
    return true;
}

bool IsAscii(const unsigned char* bytes, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i)
        if (bytes[i] >= 0x80)
            return false;
    return true;
}

KeyProblem KeyTextOfLine(const SecretLine& line, const KeyTextSystem& system, unsigned codePage,
                         SecretLine& text) {
    text.Clear();
    if (line.overlong())
        return KeyProblem::kTooLong;
    static const unsigned char kByteOrderMark[] = {0xEF, 0xBB, 0xBF};
    const unsigned char* bytes = line.data();
    std::size_t length = line.size();
    if (length >= sizeof kByteOrderMark &&
        std::memcmp(bytes, kByteOrderMark, sizeof kByteOrderMark) == 0) {
        bytes += sizeof kByteOrderMark;
        length -= sizeof kByteOrderMark;
    }
    if (IsUtf8(bytes, length)) {
        text.Assign(bytes, length);
        return KeyProblem::kNone;
    }
    SecretLine inCodePage;
    inCodePage.Assign(bytes, length);
    if (!system.FromCodePage(inCodePage, codePage, text)) {
        text.Clear();
        return KeyProblem::kNotInCodePage;
    }
    return text.overlong() ? KeyProblem::kTooLong : KeyProblem::kNone;
}
