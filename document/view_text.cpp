#include "document/view_text.h"

#include <algorithm>

#include "util/number_text.h"

namespace {

constexpr unsigned char kUtf8Mark[] = {0xEF, 0xBB, 0xBF};
constexpr unsigned char kUtf16LittleEndianMark[] = {0xFF, 0xFE};
constexpr unsigned char kUtf16BigEndianMark[] = {0xFE, 0xFF};
constexpr char16_t kReplacementCharacter = 0xFFFD;

template <std::size_t N>
bool StartsWith(const unsigned char* data, std::size_t length, const unsigned char (&mark)[N]) {
    return length >= N && std::equal(mark, mark + N, data);
}

// How many bytes the UTF-8 sequence that `lead` begins has (1 for ASCII); 0 when no sequence
// begins with it (a continuation byte, an overlong two-byte form, or past U+10FFFF).
std::size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead < 0xC2)
        return 0;
    if (lead < 0xE0)
        return 2;
    if (lead < 0xF0)
        return 3;
    return lead < 0xF5 ? 4 : 0;
}

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Whether `second` may follow `lead`: beside being a continuation byte, it rules out overlong
// forms, the surrogates (U+D800-U+DFFF) and values past U+10FFFF.
bool MayFollowLead(unsigned char lead, unsigned char second) {
    switch (lead) {
    case 0xE0:
        return second >= 0xA0 && second <= 0xBF;
    case 0xED:
        return second >= 0x80 && second <= 0x9F;
    case 0xF0:
        return second >= 0x90 && second <= 0xBF;
    case 0xF4:
        return second >= 0x80 && second <= 0x8F;
    default:
        return IsContinuation(second);
    }
}

// Whether the bytes are valid UTF-8 holding at least one character outside ASCII. With
// `cutAtEnd` a sequence begun but not ended before `length` counts as valid: the bytes were
// cut there, and its rest lies beyond them.
bool IsUtf8OutsideAscii(const unsigned char* data, std::size_t length, bool cutAtEnd) {
    bool outsideAscii = false;
    std::size_t i = 0;
    while (i < length) {
        const unsigned char lead = data[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        outsideAscii = true;
        const std::size_t sequence = SequenceLength(lead);
        if (sequence == 0)
            return false;
        for (std::size_t k = 1; k < sequence; ++k) {
            if (i + k == length)
                return cutAtEnd;
            const unsigned char next = data[i + k];
            if (k == 1 ? !MayFollowLead(lead, next) : !IsContinuation(next))
                return false;
        }
        i += sequence;
    }
    return outsideAscii;
}

// Where the last whole UTF-8 sequence in [begin, end) ends: `end`, or the start of a sequence
// that `end` cuts.
std::size_t EndOfWholeUtf8(const unsigned char* data, std::size_t begin, std::size_t end) {
    std::size_t continuations = 0;
    while (continuations < 3 && end - continuations > begin &&
           IsContinuation(data[end - continuations - 1]))
        ++continuations;
    if (end - continuations == begin)
        return end;
    const std::size_t lead = end - continuations - 1;
    return SequenceLength(data[lead]) > continuations + 1 ? lead : end;
}

// Where the last whole character of a code page's text in [0, end) ends: `end`, or a lead byte
// whose second byte `end` cuts off.
std::size_t EndOfWholeCodePage(const unsigned char* data, std::size_t end,
                               const LeadBytes& leadBytes) {
    if (leadBytes.none())
        return end;
    std::size_t i = 0;
    while (i < end) {
        if (!leadBytes[data[i]]) {
            ++i;
        } else if (i + 1 == end) {
            return i;
        } else {
            i += 2;
        }
    }
    return end;
}

void ShowZeroBytesAsSpaces(std::string& text) {
    std::replace(text.begin(), text.end(), '\0', ' ');
}

ViewText Utf8ViewText(const unsigned char* head, std::size_t begin, std::size_t end, bool cut,
                      std::uint64_t fileSize) {
    ViewText text;
    text.encoding = ViewEncoding::kUtf8;
    const std::size_t shownEnd = cut ? EndOfWholeUtf8(head, begin, end) : end;
    text.bytes.assign(reinterpret_cast<const char*>(head) + begin,
                      reinterpret_cast<const char*>(head) + shownEnd);
    ShowZeroBytesAsSpaces(text.bytes);
    if (cut)
        text.bytes += ViewCutNote(fileSize);
    return text;
}

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The code units of the UTF-16 bytes in [begin, end). A lone last byte is half a unit: cut off
// by the bound it is left out; at the end of the file it is shown as U+FFFD. A high surrogate
// that the bound parts from its low one is left out; every other unpaired surrogate is shown
// as U+FFFD, and U+0000 as a space.
std::u16string Utf16Units(const unsigned char* data, std::size_t begin, std::size_t end,
                          bool bigEndian, bool cut) {
    std::u16string read;
    read.reserve((end - begin) / 2 + 1);
    for (std::size_t i = begin; i + 1 < end; i += 2) {
        const unsigned first = data[i];
        const unsigned second = data[i + 1];
        read.push_back(
            static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first));
    }
    if ((end - begin) % 2 != 0 && !cut)
        read.push_back(kReplacementCharacter);

    std::u16string units;
    units.reserve(read.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        const char16_t unit = read[i];
        if (IsHighSurrogate(unit)) {
            if (i + 1 < read.size() && IsLowSurrogate(read[i + 1])) {
                units.push_back(unit);
                units.push_back(read[++i]);
            } else if (!(cut && i + 1 == read.size())) {
                units.push_back(kReplacementCharacter);
            }
        } else if (IsLowSurrogate(unit)) {
            units.push_back(kReplacementCharacter);
        } else {
            units.push_back(unit == 0 ? u' ' : unit);
        }
    }
    return units;
}

ViewText Utf16ViewText(const unsigned char* head, std::size_t end, bool bigEndian, bool cut,
                       std::uint64_t fileSize) {
    ViewText text;
    text.encoding = ViewEncoding::kUtf16;
    text.units = Utf16Units(head, sizeof kUtf16LittleEndianMark, end, bigEndian, cut);
    if (cut) {
        for (const char c : ViewCutNote(fileSize)) // ASCII, the same in UTF-16
            text.units.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    }
    return text;
}

} // namespace

ViewText DecodeViewText(const unsigned char* head, std::size_t length, std::uint64_t fileSize,
                        const LeadBytes& leadBytes) {
    const bool cut = length > kViewTextBound;
    const std::size_t end = cut ? kViewTextBound : length;
    if (StartsWith(head, end, kUtf8Mark))
        return Utf8ViewText(head, sizeof kUtf8Mark, end, cut, fileSize);
    if (StartsWith(head, end, kUtf16LittleEndianMark))
        return Utf16ViewText(head, end, false, cut, fileSize);
    if (StartsWith(head, end, kUtf16BigEndianMark))
        return Utf16ViewText(head, end, true, cut, fileSize);
    if (IsUtf8OutsideAscii(head, end, cut))
        return Utf8ViewText(head, 0, end, cut, fileSize);
    return CodePageViewText(head, length, fileSize, leadBytes);
}

ViewText CodePageViewText(const unsigned char* head, std::size_t length, std::uint64_t fileSize,
                          const LeadBytes& leadBytes) {
    const bool cut = length > kViewTextBound;
    const std::size_t end = cut ? EndOfWholeCodePage(head, kViewTextBound, leadBytes) : length;
    ViewText text;
    text.bytes.assign(reinterpret_cast<const char*>(head),
                      reinterpret_cast<const char*>(head) + end);
    ShowZeroBytesAsSpaces(text.bytes);
    if (cut)
        text.bytes += ViewCutNote(fileSize);
    return text;
}

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
