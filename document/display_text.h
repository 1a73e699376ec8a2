// How much of a file the document view shows: a long text is cut for the view, which says so
// on a last line. How the shown bytes are decoded is view_text.h's work.
#ifndef VEILQUILL_DISPLAY_TEXT_H
#define VEILQUILL_DISPLAY_TEXT_H

#include <cstddef>
#include <cstdint>
#include <string>

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

#endif
