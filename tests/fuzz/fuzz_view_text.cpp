// Decodes arbitrary file heads for the document view and checks what the view is handed: no
// zero characters, nothing past the bound, the cut note exactly when the file is longer, whole
// characters only (valid UTF-8 unless a mark asked for UTF-8, no unpaired surrogates, no lone
// lead byte at the cut), and the code page's bytes otherwise unchanged.
#include "document/view_text.h"
#include "tests/support/shift_jis.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// The first input byte's bits: the code page 932's lead bytes, cipher text (always the code
// page), and padding that brings the input's rest up to the view's bound.
constexpr unsigned kDoubleByte = 1;
constexpr unsigned kCipherText = 2;
constexpr unsigned kPadToBound = 4;

// Whether the bytes are UTF-8 by its definition: each code point decoded in full and checked
// for its shortest form, the surrogates and the largest value.
bool IsValidUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 1;
        std::uint32_t value = lead;
        if (lead >= 0xF0) {
            length = 4;
            value = lead & 0x07;
        } else if (lead >= 0xE0) {
            length = 3;
            value = lead & 0x0F;
        } else if (lead >= 0xC0) {
            length = 2;
            value = lead & 0x1F;
        } else if (lead >= 0x80) {
            return false;
        }
        if (lead >= 0xF8 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            value = value << 6 | (next & 0x3F);
        }
        const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const unsigned mode = data[0];
    std::vector<unsigned char> head(data + 1, data + size);
    if (mode & kPadToBound) {
        // After the first four bytes (where a mark would be), enough of an even-length filler
        // to bring the bytes that follow to the bound.
        const std::size_t keep = std::min<std::size_t>(4, head.size());
        head.insert(head.begin() + static_cast<std::ptrdiff_t>(keep), kViewTextBound - 8,
                    static_cast<unsigned char>(mode >> 4 | 0x40));
    }
    // The window hands over at most one byte past the bound.
    const std::size_t length = std::min(head.size(), kViewTextBound + 1);
    const bool cut = length > kViewTextBound;
    const std::uint64_t fileSize = cut ? head.size() + (mode >> 3) * 1000003ull : length;
    const LeadBytes leadBytes = (mode & kDoubleByte) ? vqtest::ShiftJisLeadBytes() : LeadBytes();

    const ViewText text = (mode & kCipherText)
                              ? CodePageViewText(head.data(), length, fileSize, leadBytes)
                              : DecodeViewText(head.data(), length, fileSize, leadBytes);
    const std::string note = cut ? ViewCutNote(fileSize) : std::string();

    if (text.encoding == ViewEncoding::kUtf16) {
        Check(text.bytes.empty() && length >= 2);
        std::u16string units = text.units;
        if (cut) {
            Check(units.size() >= note.size());
            Check(std::u16string(units.end() - static_cast<std::ptrdiff_t>(note.size()),
                                 units.end()) == std::u16string(note.begin(), note.end()));
            units.resize(units.size() - note.size());
        }
        Check(units.size() <= (length - 1) / 2);
        for (std::size_t i = 0; i < units.size(); ++i) {
            const char16_t unit = units[i];
            Check(unit != 0);
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                Check(i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF);
                ++i;
            } else {
                Check(unit < 0xDC00 || unit > 0xDFFF);
            }
        }
        return 0;
    }

    Check(text.units.empty() && EndsWith(text.bytes, note));
    const std::string shown = text.bytes.substr(0, text.bytes.size() - note.size());
    Check(shown.find('\0') == std::string::npos);
    Check(shown.size() <= (cut ? kViewTextBound : length));
    const bool marked = length >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF;
    if (text.encoding == ViewEncoding::kUtf8) {
        Check(!(mode & kCipherText));
        if (!marked)
            Check(IsValidUtf8(shown) && shown.size() + 3 >= (cut ? kViewTextBound : length));
        return 0;
    }
    // The code page: the bytes as they are, zero bytes as spaces, at most a lead byte left out
    // at the bound.
    Check(shown.size() + (cut ? 1 : 0) >= (cut ? kViewTextBound : length));
    for (std::size_t i = 0; i < shown.size(); ++i)
        Check(shown[i] == (head[i] == 0 ? ' ' : static_cast<char>(head[i])));
    if (cut && shown.size() < kViewTextBound)
        Check(leadBytes[head[shown.size()]]);
    return 0;
}
