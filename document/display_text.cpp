#include "document/display_text.h"

#include <cstring>

#include "util/number_text.h"

namespace {

constexpr char kCutNoteStart[] = "\r\n[The view shows the first ";
constexpr char kCutNoteMiddle[] = " of ";
constexpr char kCutNoteEnd[] = " bytes. Encrypt, Decrypt and Save As work on the whole file.]";

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

std::string ViewCutNote(std::uint64_t fileSize) {
    const auto grouped = [](std::uint64_t value) {
        char digits[32] = {};
        GroupThousands(digits, UnsignedDecimalText(value, digits, sizeof digits), sizeof digits);
        return std::string(digits);
    };
    return kCutNoteStart + grouped(kViewTextBound) + kCutNoteMiddle + grouped(fileSize) +
           kCutNoteEnd;
}

std::string DisplayTextOf(const std::vector<unsigned char>& bytes) {
    std::string text(bytes.begin(), bytes.end());
    ConvertForDisplay(reinterpret_cast<unsigned char*>(&text[0]), text.size());
    return text;
}
