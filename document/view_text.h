// The text the document view shows of a file: how much of it (a long text is cut for the
// view, which says so on a last line), and its first bytes decoded as a current editor
// decodes a text file:
//  - a UTF-8 byte-order mark (EF BB BF): UTF-8, shown without the mark;
//  - a UTF-16 mark (FF FE little-endian, FE FF big-endian): UTF-16, shown without the mark;
//  - otherwise bytes that are valid UTF-8 and hold at least one character outside ASCII:
//    UTF-8;
//  - any other file: the system's code page, as the view has always shown it.
// Only the bytes up to the view's bound (kViewTextBound) are decoded and decided on; a file
// longer than that is cut there, with the cut note on a last line, and a character cut by the
// bound is left out whole, never shown in half. Zero characters are shown as spaces in every
// encoding. Only the view's copy is decoded: the file keeps its bytes.
#ifndef VEILQUILL_VIEW_TEXT_H
#define VEILQUILL_VIEW_TEXT_H

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>

// How much of a file the view shows.

// The most bytes of a file the view is handed. The edit control lays out every character it
// holds before it draws, and cipher text (every byte value, few line ends) is slow to lay out:
// under Wine (bench/win32/view_bench) 8 KiB of it take about 150 ms of processor time and
// 12 KiB about 230 ms, so 8 KiB is the most that is shown within a quarter of a second. One
// screen of the view holds about 1,400 bytes of it, so 8 KiB are its first six screens. The
// view is only a preview: loading, previews and saves always work on the whole file.
constexpr std::size_t kViewTextBound = 8192;

// The last line of the view's text when the file is longer than the view's bound, for a file
// of `fileSize` bytes: "\r\n[The view shows the first 8,192 of 4,194,304 bytes. Encrypt,
// Decrypt and Save As work on the whole file.]" (the bound counts the file's bytes, whatever
// its text's encoding).
std::string ViewCutNote(std::uint64_t fileSize);

// How the shown bytes are decoded.

enum class ViewEncoding { kCodePage, kUtf8, kUtf16 };

struct ViewText {
    ViewEncoding encoding = ViewEncoding::kCodePage;
    // kCodePage: bytes in the system's code page; kUtf8: UTF-8 (a byte that is no part of a
    // valid sequence can occur only after a UTF-8 mark). Empty for kUtf16.
    std::string bytes;
    // kUtf16: the text's UTF-16 code units in the machine's order, without unpaired
    // surrogates. Empty otherwise.
    std::u16string units;
};

// The bytes that begin a two-byte character in the system's code page (none in a single-byte
// code page such as 1252; 0x81-0x9F and 0xE0-0xFC in 932).
using LeadBytes = std::bitset<256>;

// The view's text of a file of `fileSize` bytes whose first `length` bytes are `head`. The
// head holds the whole file, or (when the file goes on past the view's bound) more than
// kViewTextBound bytes: only the first kViewTextBound + 1 are looked at, the last of them only
// to learn that the file goes on.
ViewText DecodeViewText(const unsigned char* head, std::size_t length, std::uint64_t fileSize,
                        const LeadBytes& leadBytes);

// The same for bytes that are shown in the system's code page whatever they hold (cipher
// text).
ViewText CodePageViewText(const unsigned char* head, std::size_t length, std::uint64_t fileSize,
                          const LeadBytes& leadBytes);

#endif
