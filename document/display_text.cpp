#include "document/display_text.h"

#include <cstring>

#include "util/number_text.h"

namespace {

constexpr char kCutNoteStart[] = "\r\n[The view shows the first ";
constexpr char kCutNoteMiddle[] = " of ";
constexpr char kCutNoteEnd[] = " bytes. Encrypt, Decrypt and Save As work on the whole file.]";

// Appends `text` at `length` within `capacity`, cutting it when it does not fit.
std::size_t Append(char* out, std::size_t length, std::size_t capacity, const char* text) {
    while (*text != '\0' && length + 1 < capacity)
        out[length++] = *text++;
    out[length] = '\0';
    return length;
}

// Appends a number with its thousands grouped ("4,194,304").
std::size_t AppendGrouped(char* out, std::size_t length, std::size_t capacity,
                          std::uint64_t value) {
    char digits[32] = {};
    GroupThousands(digits, UnsignedDecimalText(value, digits, sizeof digits), sizeof digits);
    return Append(out, length, capacity, digits);
}

} // namespace

void ConvertForDisplay(unsigned char* data, std::size_t length) {
    if (data == nullptr)
        return;
    unsigned char* const end = data + length;
    // memchr skips the long runs without zero bytes that text files are made of.
    while (data < end) {
        void* zero = std::memchr(data, 0, static_cast<std::size_t>(end - data));
        if (zero == nullptr)
            return;
        data = static_cast<unsigned char*>(zero);
        *data++ = ' ';
    }
}

const char* TextForView(const char* text, std::uint64_t fileSize,
                        char (&room)[kCutViewTextCapacity]) {
    // Only the first bytes past the bound are looked at, however long the text.
    if (text == nullptr || std::memchr(text, 0, kViewTextBound + 1) != nullptr)
        return text;
    std::memcpy(room, text, kViewTextBound);
    std::size_t length = Append(room, kViewTextBound, sizeof room, kCutNoteStart);
    length = AppendGrouped(room, length, sizeof room, kViewTextBound);
    length = Append(room, length, sizeof room, kCutNoteMiddle);
    length = AppendGrouped(room, length, sizeof room, fileSize);
    Append(room, length, sizeof room, kCutNoteEnd);
    return room;
}

std::string DisplayTextOf(const std::vector<unsigned char>& bytes) {
    std::string text(bytes.begin(), bytes.end());
    ConvertForDisplay(reinterpret_cast<unsigned char*>(&text[0]), text.size());
    return text;
}
