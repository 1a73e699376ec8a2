// How long the document view's edit control takes to show a text, by size: random bytes, as
// cipher text is (every byte value, few line breaks), next to plain text with short lines.
// The view is handed at most a bounded amount of text; this shows where that bound can lie, and
// that a decoded Unicode text at the bound (fewer characters than bytes) is shown sooner.
//
//   view_bench.exe [rounds]
//
// Each size is shown `rounds` times (the best counts), every time into an emptied control,
// and timed from WM_SETTEXT until the control has drawn it.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/win32/bench_clock.h"
#include "bench/win32/display_window.h"
#include "document/view_text.h"

namespace {

// Random bytes with zero bytes shown as spaces, as the view shows cipher text.
std::string CipherLikeText(std::size_t size) {
    std::string text(size, ' ');
    std::uint32_t state = 0x9E3779B9u;
    for (char& c : text) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        const unsigned char value = static_cast<unsigned char>(state >> 24);
        c = static_cast<char>(value == 0 ? ' ' : value);
    }
    return text;
}

// Words and a line end every 60 bytes or so.
std::string PlainText(std::size_t size) {
    static const char kLine[] = "The quick brown fox jumps over the lazy dog, again and again.\r\n";
    std::string text;
    while (text.size() < size)
        text += kLine;
    text.resize(size);
    return text;
}

// This thread's processor time in seconds: the control's layout runs on it, so this is what
// the time would be on an idle machine, whatever else runs beside the benchmark.
double ThreadSeconds() {
    FILETIME created{}, exited{}, kernel{}, user{};
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    const auto value = [](const FILETIME& time) {
        return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 1e7;
    };
    return value(kernel) + value(user);
}

struct ShowTime {
    double wall = 1e30;   // seconds, the best round
    double thread = 1e30; // this thread's processor seconds, the best round
};

// The characters the view shows of the bound's bytes of a UTF-8 text in Greek, Cyrillic and
// CJK with short lines: two or three bytes each, so fewer characters than bytes.
std::wstring UnicodeTextOfBytes(std::size_t bytes) {
    static const wchar_t kLine[] = L"\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC "
                                   L"\u0420\u0443\u0441\u0441\u043A\u0438\u0439 "
                                   L"\u65E5\u672C\u8A9E\u306E\u6587\u7AE0\r\n";
    // 8 x 2 + 1 + 7 x 2 + 1 + 6 x 3 + 2 bytes of UTF-8 a line.
    constexpr std::size_t kLineBytes = 52;
    std::wstring text;
    for (std::size_t used = 0; used + kLineBytes <= bytes; used += kLineBytes)
        text += kLine;
    return text;
}

template <typename Text>
ShowTime BestShowTime(DisplayWindow& window, const Text& text, int rounds) {
    ShowTime best;
    for (int round = 0; round < rounds; ++round) {
        window.Show("");
        const double threadStart = ThreadSeconds();
        best.wall = std::min(best.wall, Seconds([&] { window.Show(text.c_str()); }));
        best.thread = std::min(best.thread, ThreadSeconds() - threadStart);
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    DisplayWindow window;
    window.Show(PlainText(4096).c_str()); // the first text also loads the font

    std::printf("view: WM_SETTEXT until drawn, best of %d, view %d x %d pixels; wall-clock ms and"
                " the thread's processor ms\n",
                rounds, DisplayWindow::kViewWidth, DisplayWindow::kViewHeight);
    std::printf("  %8s  %10s %10s %8s  %10s %10s %8s\n", "bytes", "cipher ms", "cpu ms", "us/byte",
                "plain ms", "cpu ms", "us/byte");
    for (std::size_t kib : {1, 2, 4, 6, 8, 10, 12, 16, 24, 32}) {
        const std::size_t size = kib * 1024;
        const ShowTime cipher = BestShowTime(window, CipherLikeText(size), rounds);
        const ShowTime plain = BestShowTime(window, PlainText(size), rounds);
        std::printf("  %8u  %10.1f %10.1f %8.1f  %10.1f %10.1f %8.1f\n",
                    static_cast<unsigned>(size), cipher.wall * 1e3, cipher.thread * 1e3,
                    cipher.wall * 1e6 / size, plain.wall * 1e3, plain.thread * 1e3,
                    plain.wall * 1e6 / size);
        std::fflush(stdout);
    }

    window.Show(CipherLikeText(64 * 1024).c_str());
    const int cipherScreen = window.CharactersOnFirstScreen();
    window.Show(PlainText(64 * 1024).c_str());
    const int plainScreen = window.CharactersOnFirstScreen();
    std::printf("one screen of the view holds %d bytes of cipher text, %d of plain text\n",
                cipherScreen, plainScreen);

    const std::size_t bound = kViewTextBound;
    const ShowTime atBound = BestShowTime(window, CipherLikeText(bound), rounds);
    std::printf("the view's bound: %u bytes (%.1f screens of cipher text), shown in %.1f ms"
                " (%.1f ms of processor time)\n",
                static_cast<unsigned>(bound), static_cast<double>(bound) / cipherScreen,
                atBound.wall * 1e3, atBound.thread * 1e3);
    const std::wstring unicode = UnicodeTextOfBytes(bound);
    const ShowTime unicodeAtBound = BestShowTime(window, unicode, rounds);
    std::printf("the view's bound of a Unicode text (Greek, Cyrillic, CJK): %u characters,"
                " shown in %.1f ms (%.1f ms of processor time)\n",
                static_cast<unsigned>(unicode.size()), unicodeAtBound.wall * 1e3,
                unicodeAtBound.thread * 1e3);
    return 0;
}
