#include "document/display_text.h"

#include "util/number_text.h"

namespace {

constexpr char kCutNoteStart[] = "\r\n[The view shows the first ";
constexpr char kCutNoteMiddle[] = " of ";
constexpr char kCutNoteEnd[] = " bytes. Encrypt, Decrypt and Save As work on the whole file.]";

} // namespace

std::string ViewCutNote(std::uint64_t fileSize) {
    const auto grouped = [](std::uint64_t value) {
        char digits[32] = {};
        GroupThousands(digits, UnsignedDecimalText(value, digits, sizeof digits), sizeof digits);
        return std::string(digits);
    };
    return kCutNoteStart + grouped(kViewTextBound) + kCutNoteMiddle + grouped(fileSize) +
           kCutNoteEnd;
}
