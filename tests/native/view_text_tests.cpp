// How the document view decodes a file's first bytes: by its byte-order mark, as UTF-8 when its
// shown bytes are UTF-8 beyond ASCII, otherwise in the system's code page; cut at the view's
// bound without showing half a character.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "document/view_text.h"
#include "tests/support/shift_jis.h"

namespace vqtest {
namespace {

// The view's text of a file that holds `bytes` (only their first kViewTextBound + 1 are handed
// over, as the window reads them) and is `fileSize` bytes long.
ViewText Decode(const std::string& bytes, std::uint64_t fileSize,
                const LeadBytes& leadBytes = LeadBytes()) {
    const std::size_t handed = std::min(bytes.size(), kViewTextBound + 1);
    return DecodeViewText(reinterpret_cast<const unsigned char*>(bytes.data()), handed, fileSize,
                          leadBytes);
}
ViewText Decode(const std::string& bytes) {
    return Decode(bytes, bytes.size());
}

std::string CutNote(std::uint64_t fileSize) {
    return ViewCutNote(fileSize);
}
std::u16string WideCutNote(std::uint64_t fileSize) {
    const std::string note = ViewCutNote(fileSize);
    return std::u16string(note.begin(), note.end());
}

TEST(ViewText, AByteOrderMarkChoosesTheEncodingAndIsNotShown) {
    const ViewText utf8 = Decode("\xEF\xBB\xBF"
                                 "Caf\xC3\xA9");
    EXPECT_EQ(ViewEncoding::kUtf8, utf8.encoding);
    EXPECT_EQ("Caf\xC3\xA9", utf8.bytes);
    // After a UTF-8 mark the text is UTF-8 even where it is not valid (its bytes become U+FFFD
    // in the window), and even when it is plain ASCII.
    EXPECT_EQ("a\xE9", Decode("\xEF\xBB\xBF"
                              "a\xE9")
                           .bytes);
    EXPECT_EQ(ViewEncoding::kUtf8, Decode("\xEF\xBB\xBF"
                                          "abc")
                                       .encoding);

    // "Caf\u00E9 \U0001F600" in both byte orders: a surrogate pair stays whole.
    const ViewText little = Decode(std::string("\xFF\xFE"
                                               "C\0a\0f\0\xE9\0 \0\x3D\xD8\x00\xDE",
                                               16));
    EXPECT_EQ(ViewEncoding::kUtf16, little.encoding);
    EXPECT_EQ(u"Caf\u00E9 \U0001F600", little.units);
    EXPECT_TRUE(little.bytes.empty());
    const ViewText big = Decode(std::string("\xFE\xFF\0C\0a\0f\0\xE9\0 \xD8\x3D\xDE\x00", 16));
    EXPECT_EQ(ViewEncoding::kUtf16, big.encoding);
    EXPECT_EQ(u"Caf\u00E9 \U0001F600", big.units);

    // A mark's first bytes alone are no mark.
    EXPECT_EQ(ViewEncoding::kCodePage, Decode("\xEF\xBB").encoding);
    EXPECT_EQ(ViewEncoding::kCodePage, Decode("\xFF").encoding);
}

TEST(ViewText, OnlyValidUtf8BeyondAsciiIsShownAsUtf8) {
    const std::string text = "Caf\xC3\xA9, na\xC3\xAFve \xE2\x80\x93 \xF0\x9F\x98\x80";
    const ViewText utf8 = Decode(text);
    EXPECT_EQ(ViewEncoding::kUtf8, utf8.encoding);
    EXPECT_EQ(text, utf8.bytes);

    // Plain ASCII, a code page's text and every form UTF-8 rules out are shown in the code
    // page, byte for byte as the view has always shown them.
    for (const std::string& other :
         {std::string("plain ASCII\r\n"), std::string("Caf\xE9 na\xEFve \x96"),
          std::string("overlong \xC0\xAF"), std::string("overlong \xE0\x80\xAF"),
          std::string("surrogate \xED\xA0\x80"), std::string("past U+10FFFF \xF4\x90\x80\x80"),
          std::string("lone continuation \x80"),
          std::string("a\xC3"
                      "b"),
          // The file itself ends inside a sequence: nothing was cut, so it is not UTF-8.
          std::string("Caf\xC3\xA9 \xE2\x80")}) {
        const ViewText shown = Decode(other);
        EXPECT_EQ(ViewEncoding::kCodePage, shown.encoding) << other;
        EXPECT_EQ(other, shown.bytes);
    }
}

// Zero characters would end the view's text early; they are shown as spaces in every
// encoding.
TEST(ViewText, ZeroCharactersAreShownAsSpaces) {
    EXPECT_EQ("\xC3\xA9 x ", Decode(std::string("\xC3\xA9\0x\0", 5)).bytes);
    EXPECT_EQ("\xC3\xA9 x", Decode(std::string("\xEF\xBB\xBF\xC3\xA9\0x", 7)).bytes);
    EXPECT_EQ(u"a b", Decode(std::string("\xFF\xFE"
                                         "a\0\0\0b\0",
                                         8))
                          .units);
    EXPECT_EQ(u"a b", Decode(std::string("\xFE\xFF\0a\0\0\0b", 8)).units);
    const ViewText codePage = Decode(std::string("a\0b\0\0\xFF", 6));
    EXPECT_EQ(ViewEncoding::kCodePage, codePage.encoding);
    EXPECT_EQ("a b  \xFF", codePage.bytes);
}

// A file's last lone byte is half a UTF-16 unit: shown as U+FFFD, so that the view does not
// hide it. Unpaired surrogates are shown as U+FFFD too.
TEST(ViewText, Utf16OfAnOddLengthOrWithUnpairedSurrogatesShowsTheReplacementCharacter) {
    EXPECT_EQ(u"ab\uFFFD", Decode(std::string("\xFF\xFE"
                                              "a\0b\0c",
                                              7))
                               .units);
    EXPECT_EQ(u"\uFFFD", Decode(std::string("\xFE\xFF\0", 3)).units);
    EXPECT_EQ(u"", Decode("\xFF\xFE").units);
    EXPECT_EQ(u"\uFFFDa\uFFFD", Decode(std::string("\xFF\xFE\x00\xDC"
                                                   "a\0\x00\xD8",
                                                   8))
                                    .units);
}

// The view shows the first kViewTextBound bytes of a longer file, then the note; a character
// that the bound cuts is left out whole. A UTF-8 sequence cut by the bound still counts as
// valid: its rest lies beyond what was read.
TEST(ViewText, ACharacterCutByTheBoundIsLeftOutWhole) {
    const std::size_t bound = kViewTextBound;
    const std::uint64_t size = 4194304;
    const std::string euro = "\xE2\x82\xAC"; // U+20AC, three bytes
    const std::string more(16, 'z');

    // A sequence ending exactly at the bound is shown; one the bound cuts in two is not.
    const std::string whole = std::string(bound - 3, 'x') + euro + more;
    EXPECT_EQ(std::string(bound - 3, 'x') + euro + CutNote(size), Decode(whole, size).bytes);
    for (std::size_t before : {bound - 1, bound - 2}) {
        const std::string cutText = std::string(before, 'x') + euro + more;
        const ViewText cut = Decode(cutText, size);
        EXPECT_EQ(ViewEncoding::kUtf8, cut.encoding) << before;
        EXPECT_EQ(std::string(before, 'x') + CutNote(size), cut.bytes) << before;
    }
    // The same after a mark; the mark counts among the file's bytes.
    const ViewText marked = Decode("\xEF\xBB\xBF" + std::string(bound - 4, 'x') + euro, size);
    EXPECT_EQ(std::string(bound - 4, 'x') + CutNote(size), marked.bytes);

    // UTF-16: no high surrogate without its low one; the bound is even, so no half unit.
    std::string utf16 = "\xFF\xFE";
    while (utf16.size() < bound - 2)
        utf16 += std::string("y\0", 2);
    const std::string pair("\x3D\xD8\x00\xDE", 4);
    const ViewText surrogates = Decode(utf16 + pair + "!", size);
    EXPECT_EQ(ViewEncoding::kUtf16, surrogates.encoding);
    EXPECT_EQ(std::u16string((bound - 4) / 2, u'y') + WideCutNote(size), surrogates.units);

    // A double-byte code page: a lead byte whose second byte lies past the bound is left out;
    // a pair whose second byte is a lead byte's value stays whole. Without lead bytes (1252)
    // every byte up to the bound is shown.
    const std::string cutPair = std::string(bound - 1, 'x') + "\x82\xA0";
    EXPECT_EQ(std::string(bound - 1, 'x') + CutNote(size),
              Decode(cutPair, size, ShiftJisLeadBytes()).bytes);
    EXPECT_EQ(std::string(bound - 1, 'x') + "\x82" + CutNote(size), Decode(cutPair, size).bytes);
    const std::string wholePair = std::string(bound - 2, 'x') + "\x81\x81\x81";
    EXPECT_EQ(std::string(bound - 2, 'x') + "\x81\x81" + CutNote(size),
              Decode(wholePair, size, ShiftJisLeadBytes()).bytes);
}

} // namespace
} // namespace vqtest
