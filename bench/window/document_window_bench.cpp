// The document cycle timed through the real window under Wine, as a user meets it: for plain
// and encrypted files of several sizes, a fresh copy of the program opens the file, shows the
// encrypt or decrypt preview and saves it over itself. Each step is timed from the press of
// the dialog's OK (or the key dialog's Continue) until the window shows that it is done, and
// is also given minus the same step on the 16-byte file of the same kind in the same round,
// which is the cost of Wine's dialogs alone. Beside them: a plain CopyFileA of the same file
// in the same round, and the program's peak working set.
//
// The same steps follow in the strong format, at the same sizes: the plain file encrypted with
// "Use strong encryption" ticked in the key dialog, and the strong file that this save wrote,
// decrypted. Their table has targets of its own: each step is given over the same step of the
// original format on its 16-byte file, so that the figure includes the strong format's key
// derivation, which the targets allow for.
//
//   document_window_bench.exe [folder|-] [rounds] [sizes]
//
// folder: where the files are made (a Windows path; "-" or none: a scratch folder of the Wine
// session, removed afterwards); rounds: how often every file is run (default 1), the median
// counts; sizes: a comma list of byte counts with an optional K or M (default 16,1M,16M,256M).
// The 16-byte files are the baseline: without 16 in the list the "over" columns stay empty.
// The program under test is VQ_PROGRAM.
//
// The end of a step is what the user sees at its end, so that it is found both when the work
// runs on the window's thread (the window does not answer meanwhile) and when it runs on a
// worker while the window shows its progress with every other button disabled:
//   open     the one of "Encrypt" or "Decrypt" that fits the file is enabled, pane 0 shows the
//            file's name again and the window answers;
//   preview  the success notice appears;
//   save     "Open File" is enabled again and the window answers.
// The button states are polled with calls that send the program no message; the status bar is
// read (a message, which waits while the window's thread is busy) only once the buttons say
// the step is over. Exit code 0 when every step ended and every saved file holds exactly the
// bytes it should; the figures are never judged by the exit code.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench/win32/bench_clock.h"
#include "driver/ui_driver.h"
#include "tests/support/control_ids.h"
#include "tests/support/expected_texts.h"
#include "tests/support/literal_cipher.h"

namespace {

using namespace vqtest;

constexpr char kKey[] = "benchkey";
constexpr std::size_t kPiece = 1u << 20;
constexpr std::uint64_t kBaselineSize = 16;
// Today's program can take minutes for the largest files; a step that takes longer is given up.
constexpr DWORD kStepTimeoutMs = 30 * 60 * 1000;
constexpr DWORD kEndPollMs = 5;

// The targets.
constexpr double kOpenLimitS = 0.5;    // over the baseline
constexpr double kPreviewLimitS = 0.5; // over the baseline
constexpr double kSaveCopyFactor = 3;  // save over the baseline within 3x the copy ...
constexpr double kSaveSlackS = 0.5;    // ... plus this
constexpr double kPeakLimitMiB = 64;
// The strong format's: the same, plus the key derivation's time; its memory needs 64 MiB.
constexpr double kKeyDerivationS = 0.3;
constexpr double kStrongPeakLimitMiB = 128;

// The strong format's file: a header of 92 bytes, a 16-byte tag for every chunk of 64 KiB of
// text, and the trailer.
constexpr char kStrongMagic[] = "\x89VQ2\r\n\x1a\n";
constexpr std::uint64_t kStrongHeaderSize = 92;
constexpr std::uint64_t kStrongChunk = 65536;
constexpr std::uint64_t kStrongTagSize = 16;

// A plain file to encrypt, or an encrypted one to decrypt, in the original or the strong format.
enum class Kind { Plain, Cipher, StrongPlain, StrongCipher };

const char* KindName(Kind kind) {
    switch (kind) {
    case Kind::Plain:
        return "plain";
    case Kind::Cipher:
        return "cipher";
    case Kind::StrongPlain:
        return "strong plain";
    case Kind::StrongCipher:
        break;
    }
    return "strong cipher";
}

bool IsStrong(Kind kind) {
    return kind == Kind::StrongPlain || kind == Kind::StrongCipher;
}

bool IsPlain(Kind kind) {
    return kind == Kind::Plain || kind == Kind::StrongPlain;
}

// The kind in the original format whose 16-byte file is a row's baseline.
Kind OriginalKind(Kind kind) {
    return IsPlain(kind) ? Kind::Plain : Kind::Cipher;
}

// Text-like bytes: words of letters between spaces, a CR LF every 40 to 100 characters; the
// same sequence every time, so that a saved file can be checked against it.
class SampleText {
  public:
    void Fill(std::string& piece) {
        for (char& c : piece)
            c = Next();
    }

  private:
    char Next() {
        if (lineFeedNext_) {
            lineFeedNext_ = false;
            column_ = 0;
            return '\n';
        }
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        const unsigned value = state_ >> 24;
        if (column_ >= 40 && (value < 12 || column_ >= 100)) {
            lineFeedNext_ = true;
            return '\r';
        }
        ++column_;
        return value < 48 ? ' ' : static_cast<char>('a' + value % 26);
    }

    std::uint32_t state_ = 0x2545F491u;
    unsigned column_ = 0;
    bool lineFeedNext_ = false;
};

// The bytes of a file of `textSize` bytes of sample text, in pieces: the text itself, or, for
// an encrypted file, the text under the key followed by the trailer. `take` returns false to
// stop; the result is the text's checksum, or nothing when `take` stopped.
std::optional<std::uint32_t> ForEachPiece(Kind kind, std::uint64_t textSize,
                                          const std::function<bool(const std::string&)>& take) {
    SampleText text;
    std::uint32_t checksum = 0;
    std::string piece;
    for (std::uint64_t offset = 0; offset < textSize; offset += piece.size()) {
        piece.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, textSize - offset)));
        text.Fill(piece);
        checksum += LiteralChecksum(piece);
        if (kind == Kind::Cipher)
            piece = LiteralEncrypt(KeyAtPosition(kKey, static_cast<std::size_t>(offset)), piece);
        if (!take(piece))
            return std::nullopt;
    }
    if (kind == Kind::Cipher && !take(kTrailer))
        return std::nullopt;
    return checksum;
}

std::optional<std::uint32_t> WriteSampleFile(const std::string& path, Kind kind,
                                             std::uint64_t textSize) {
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return std::nullopt;
    return ForEachPiece(kind, textSize, [&](const std::string& piece) {
        DWORD written = 0;
        return WriteFile(file.get(), piece.data(), static_cast<DWORD>(piece.size()), &written,
                         nullptr) &&
               written == piece.size();
    });
}

// Writes out what the system still holds in memory of the file.
bool FlushToDisk(const std::string& path) {
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid() && FlushFileBuffers(file.get()) != FALSE;
}

// Whether the file holds exactly the bytes of a sample file of that kind and text size.
bool HoldsSample(const std::string& path, Kind kind, std::uint64_t textSize) {
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid())
        return false;
    std::string got;
    const auto same = ForEachPiece(kind, textSize, [&](const std::string& expected) {
        got.resize(expected.size());
        DWORD read = 0;
        return ReadFile(file.get(), &got[0], static_cast<DWORD>(got.size()), &read, nullptr) &&
               read == got.size() && got == expected;
    });
    char extra = 0;
    DWORD read = 0;
    return same.has_value() && ReadFile(file.get(), &extra, 1, &read, nullptr) && read == 0;
}

// Whether the file is a strong file of that text size: its length, magic and trailer (its
// contents are checked by decrypting it, in the row after).
bool HoldsStrongFile(const std::string& path, std::uint64_t textSize) {
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::uint64_t chunks = (textSize + kStrongChunk - 1) / kStrongChunk;
    const std::uint64_t expected =
        kStrongHeaderSize + textSize + kStrongTagSize * chunks + kTrailer.size();
    LARGE_INTEGER size{};
    if (!file.valid() || !GetFileSizeEx(file.get(), &size) ||
        static_cast<std::uint64_t>(size.QuadPart) != expected)
        return false;
    const auto bytesAt = [&](std::uint64_t offset, std::size_t count) {
        std::string bytes(count, '\0');
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(offset);
        DWORD read = 0;
        const bool ok =
            SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) &&
            ReadFile(file.get(), &bytes[0], static_cast<DWORD>(count), &read, nullptr) &&
            read == count;
        return ok ? bytes : std::string();
    };
    return bytesAt(0, sizeof kStrongMagic - 1) ==
               std::string(kStrongMagic, sizeof kStrongMagic - 1) &&
           bytesAt(expected - kTrailer.size(), kTrailer.size()) == kTrailer;
}

// "16 B", "1 MiB", "256 MiB".
std::string SizeName(std::uint64_t size) {
    if (size >= (1u << 20) && size % (1u << 20) == 0)
        return std::to_string(size >> 20) + " MiB";
    if (size >= 1024 && size % 1024 == 0)
        return std::to_string(size >> 10) + " KiB";
    return std::to_string(size) + " B";
}

// "16,1M,16M,256M": sorted, without repeats.
std::optional<std::vector<std::uint64_t>> ParseSizes(const std::string& list) {
    std::vector<std::uint64_t> sizes;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(',', start), list.size());
        const std::string item = list.substr(start, end - start);
        char* rest = nullptr;
        std::uint64_t size = std::strtoull(item.c_str(), &rest, 10);
        const std::string unit = rest;
        if (item.empty() || rest == item.c_str() || size == 0)
            return std::nullopt;
        if (unit == "K" || unit == "k")
            size <<= 10;
        else if (unit == "M" || unit == "m")
            size <<= 20;
        else if (!unit.empty())
            return std::nullopt;
        sizes.push_back(size);
        start = end + 1;
    }
    std::sort(sizes.begin(), sizes.end());
    sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
    return sizes;
}

// A notification of the process on screen, found without sending the program a message (for
// a window of another process, Wine's GetWindowTextA asks the server, not the window).
HWND ShownNotice(DWORD pid) {
    struct Search {
        DWORD pid;
        HWND found;
    } search{pid, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) CALLBACK -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            char caption[8] = {};
            if (WindowProcessId(window) != s->pid || !IsWindowVisible(window) ||
                GetWindow(window, GW_OWNER) != nullptr || WindowClass(window) != "#32770" ||
                GetWindowTextA(window, caption, sizeof caption) != 0)
                return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Polls `over` (cheap, no message) every few milliseconds until it holds, then `confirmed`
// (which may wait on the window); returns the moment both held, or nothing on timeout or when
// `failed` holds first.
std::optional<double> WaitForEnd(const std::function<bool()>& over,
                                 const std::function<bool()>& confirmed,
                                 const std::function<bool()>& failed) {
    const double deadline = Now() + kStepTimeoutMs / 1000.0;
    while (Now() < deadline) {
        if (failed())
            return std::nullopt;
        if (over() && confirmed())
            return Now();
        Sleep(kEndPollMs);
    }
    return std::nullopt;
}

// The peak working set of the program in MiB, and where it came from.
struct Peak {
    double mib = NAN;
    const char* source = "none";
};

// VmHWM of the Wine process whose command line begins with the program's Windows path (the
// copy's folder is the run's own, so no other session's process can match).
std::optional<double> VmHwmMiB(const std::string& exePath) {
    WIN32_FIND_DATAA entry{};
    UniqueFind find(FindFirstFileA("Z:\\proc\\*", &entry));
    if (!find.valid())
        return std::nullopt;
    do {
        const std::string name = entry.cFileName;
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::optional<std::string> commandLine = ReadBytes("Z:\\proc\\" + name + "\\cmdline");
        if (!commandLine || commandLine->compare(0, exePath.size() + 1, exePath + '\0') != 0)
            continue;
        const std::optional<std::string> status = ReadBytes("Z:\\proc\\" + name + "\\status");
        const std::size_t at = status ? status->find("VmHWM:") : std::string::npos;
        if (at == std::string::npos)
            return std::nullopt;
        return std::strtod(status->c_str() + at + 6, nullptr) / 1024.0; // kB
    } while (FindNextFileA(find.get(), &entry));
    return std::nullopt;
}

Peak PeakWorkingSet(const ProgramUnderTest& program) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(program.Process(), &counters, sizeof counters) &&
        counters.PeakWorkingSetSize != 0)
        return {counters.PeakWorkingSetSize / 1048576.0, "GetProcessMemoryInfo"};
    if (const std::optional<double> mib = VmHwmMiB(program.ExePath()))
        return {*mib, "/proc VmHWM"};
    return {};
}

struct Figures {
    double copy = NAN, open = NAN, preview = NAN, save = NAN;
    Peak peak;
};

// One file through a fresh copy of the program. Returns false, with what went wrong in
// `error`, when a step did not end or the saved file is not what it should be; the figures
// taken until then stay.
class FileRun {
  public:
    FileRun(const std::string& folder, Kind kind, std::uint64_t size, std::uint32_t checksum)
        : kind_(kind), size_(size), checksum_(checksum),
          original_(OriginalPath(folder, kind, size)),
          work_(JoinPath(folder, BaseName(kind, size) + (IsPlain(kind) ? ".txt" : ".enc"))),
          strongOutput_(kind == Kind::StrongPlain ? OriginalPath(folder, Kind::StrongCipher, size)
                                                  : std::string()) {}

    // The file as made, which every round copies into place.
    static std::string OriginalPath(const std::string& folder, Kind kind, std::uint64_t size) {
        return JoinPath(folder, BaseName(kind, size) + ".orig");
    }

    // The strong file is the one the strong encryption of the same size saved before.
    static bool MadeByTheRun(Kind kind) { return kind == Kind::StrongCipher; }

    bool Run(Figures& figures, std::string& error) {
        const bool ok = Steps(figures, error);
        if (program_ && program_->IsRunning()) {
            figures.peak = PeakWorkingSet(*program_);
            program_->Terminate();
        }
        const bool saved = ok && (kind_ == Kind::StrongPlain ? HoldsStrongFile(work_, size_)
                                  : kind_ == Kind::Plain ? HoldsSample(work_, Kind::Cipher, size_)
                                                         : HoldsSample(work_, Kind::Plain, size_));
        if (ok && !saved)
            error = "the saved file does not hold the bytes it should";
        if (!(saved && !strongOutput_.empty() &&
              MoveFileExA(work_.c_str(), strongOutput_.c_str(), MOVEFILE_REPLACE_EXISTING)))
            DeleteFileA(work_.c_str());
        return saved;
    }

  private:
    static std::string BaseName(Kind kind, std::uint64_t size) {
        std::string name = std::string(KindName(kind)) + "-" + std::to_string(size);
        std::replace(name.begin(), name.end(), ' ', '-');
        return name;
    }

    HWND Main() const { return program_->MainWindow(); }
    DWORD Pid() const { return program_->Pid(); }
    bool Enabled(int id) const { return IsControlEnabled(Main(), id); }
    bool NoticeShown() const { return ShownNotice(Pid()) != nullptr; }
    bool Answers() const { return RespondsWithin(Main(), kStepTimeoutMs); }

    bool Fail(std::string& error, const std::string& what) {
        error = what;
        if (HWND notice = program_ ? ShownNotice(Pid()) : nullptr)
            error += " (notice: \"" + NoticeText(notice) + "\")";
        return false;
    }

    bool Steps(Figures& figures, std::string& error) {
        DeleteFileA(work_.c_str());
        bool copied = false;
        figures.copy =
            Seconds([&] { copied = CopyFileA(original_.c_str(), work_.c_str(), TRUE) != FALSE; });
        if (!copied)
            return Fail(error, "cannot copy " + original_);
        // A user's file is on disk before it is opened; a copy still in memory would make the
        // program's save, which flushes its file, pay for writing the copy out as well.
        if (!FlushToDisk(work_))
            return Fail(error, "cannot flush " + work_);
        program_ = std::make_unique<ProgramUnderTest>();
        if (IsStrong(kind_) && !PlaceCryptoLibrary())
            return Fail(error, "cannot place libgcrypt's DLLs beside the program");
        if (kind_ == Kind::Cipher &&
            !(MakeFolders(program_->DataFolder()) &&
              WriteBytes(JoinPath(program_->DataFolder(), "1000.dat"), UpperHex8(checksum_))))
            return Fail(error, "cannot write the record");
        if (!program_->Start())
            return Fail(error, "the program did not start");
        return Open(figures, error) && Preview(figures, error) && Save(figures, error);
    }

    // The strong format's library, from beside the program that was built.
    bool PlaceCryptoLibrary() {
        const std::string built = ProgramPath();
        const std::string folder = built.substr(0, built.find_last_of('\\'));
        for (const char* dll : {"libgcrypt-20.dll", "libgpg-error-0.dll"})
            if (!program_->PlaceBeside(JoinPath(folder, dll), dll))
                return false;
        return true;
    }

    // Clicks the button, types the path into the file dialog it opens; returns the dialog.
    HWND FileDialogFor(int button, const char* caption) {
        if (!WaitUntil([&] { return Enabled(button); }, kStepTimeoutMs) ||
            !ClickControl(Main(), button))
            return nullptr;
        HWND dialog = WaitForFileDialog(Pid(), caption);
        return dialog != nullptr && TypeInFileDialog(dialog, work_) ? dialog : nullptr;
    }

    bool Open(Figures& figures, std::string& error) {
        HWND dialog = FileDialogFor(kOpenFile, "Open");
        if (dialog == nullptr)
            return Fail(error, "no Open dialog");
        const int loaded = IsPlain(kind_) ? kEncrypt : kDecrypt;
        const double start = Now();
        PressDialogButton(dialog, IDOK);
        const std::optional<double> end = WaitForEnd(
            [&] { return Enabled(loaded); },
            [&] {
                return PaneText(program_->StatusBar(), 0) == FileNameTextOfPath(work_) && Answers();
            },
            [&] { return NoticeShown(); });
        if (!end)
            return Fail(error, "the open did not end");
        figures.open = *end - start;
        return true;
    }

    bool Preview(Figures& figures, std::string& error) {
        const KeyKind keyKind = IsPlain(kind_) ? KeyKind::Encrypt : KeyKind::Decrypt;
        if (!ClickControl(Main(), IsPlain(kind_) ? kEncrypt : kDecrypt))
            return Fail(error, "cannot press Encrypt or Decrypt");
        HWND keyDialog = WaitForKeyDialog(Pid(), keyKind);
        if (keyDialog == nullptr || !TypeKey(keyDialog, kKey))
            return Fail(error, "no key dialog");
        if (kind_ == Kind::StrongPlain && !TickStrongEncryption(keyDialog))
            return Fail(error, "cannot tick \"Use strong encryption\"");
        const double start = Now();
        PressKeyContinue(keyDialog);
        HWND notice = nullptr;
        const std::optional<double> end =
            WaitForEnd([&] { return (notice = ShownNotice(Pid())) != nullptr; },
                       [] { return true; }, [] { return false; });
        if (!end)
            return Fail(error, "the preview did not end");
        figures.preview = *end - start;
        const std::string expected = IsPlain(kind_) ? kSuccessEncrypted : kSuccessDecrypted;
        // A thread that was busy for seconds counts as hung until it takes messages again,
        // and the texts are read with messages that give up on a hung thread.
        if (!RespondsWithin(notice) || NoticeText(notice) != expected)
            return Fail(error, "the preview did not succeed");
        // The command ends when the notice has closed (after its own timer) and the buttons
        // have changed: "Save As" on.
        if (!WaitUntil([&] { return !IsWindow(notice) && !IsWindow(keyDialog); }, 60000) ||
            !WaitUntil([&] { return Enabled(kSaveAs); }, 60000) || !Answers())
            return Fail(error, "the preview's command did not end");
        return true;
    }

    bool Save(Figures& figures, std::string& error) {
        HWND dialog = FileDialogFor(kSaveAs, "Save As");
        if (dialog == nullptr)
            return Fail(error, "no Save As dialog");
        const double start = Now();
        PressDialogButton(dialog, IDOK);
        const std::optional<double> end =
            WaitForEnd([&] { return Enabled(kOpenFile); }, [&] { return Answers(); },
                       [&] { return NoticeShown(); });
        if (!end)
            return Fail(error, "the save did not end");
        figures.save = *end - start;
        return true;
    }

    Kind kind_;
    std::uint64_t size_;
    std::uint32_t checksum_;
    std::string original_;
    std::string work_;
    std::string strongOutput_; // where a strong encryption's saved file is kept, or empty
    std::unique_ptr<ProgramUnderTest> program_;
};

double Median(std::vector<double> values) {
    values.erase(
        std::remove_if(values.begin(), values.end(), [](double v) { return std::isnan(v); }),
        values.end());
    if (values.empty())
        return NAN;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string SecondsText(double seconds) {
    char text[32];
    if (std::isnan(seconds))
        return "-";
    std::snprintf(text, sizeof text, "%.2f", seconds);
    return text;
}

const char* Verdict(double value, double limit) {
    return std::isnan(value) || std::isnan(limit) ? "-" : value <= limit ? "pass" : "FAIL";
}

struct Row {
    Kind kind;
    std::uint64_t size;
    std::vector<Figures> rounds;
};

// Per-round differences to the baseline row's figure of the same round (none without one).
std::vector<double> OverBaseline(const Row& row, const Row* baseline, double Figures::*step) {
    std::vector<double> over;
    for (std::size_t r = 0; baseline != nullptr && r < row.rounds.size(); ++r)
        over.push_back(row.rounds[r].*step - baseline->rounds[r].*step);
    return over;
}

std::vector<double> Each(const Row& row, double Figures::*step) {
    std::vector<double> values;
    for (const Figures& figures : row.rounds)
        values.push_back(figures.*step);
    return values;
}

// The first column is 15 characters wide for the original format, 16 for the strong one, whose
// names ("encrypt 256 MiB") are longer.
const char* const kColumns = "%-*s| %6s %6s %4s | %7s %7s %4s | %6s %6s %6s %6s %4s | %7s %4s\n";

// The rows of one format with their verdicts, each over the 16-byte row of the original
// format of its kind; `peakSource` is set to where the peaks came from.
void PrintRows(const std::vector<Row>& rows, bool strong, const char*& peakSource) {
    const double slack = strong ? kKeyDerivationS : 0;
    const double peakLimit = strong ? kStrongPeakLimitMiB : kPeakLimitMiB;
    const int nameWidth = strong ? 16 : 15;
    std::printf(kColumns, nameWidth, "file", "open", "over", "", "preview", "over", "", "save",
                "over", "copy", "limit", "", "peak MiB", "");
    for (const Row& row : rows) {
        if (IsStrong(row.kind) != strong)
            continue;
        const auto found = std::find_if(rows.begin(), rows.end(), [&](const Row& r) {
            return r.kind == OriginalKind(row.kind) && r.size == kBaselineSize;
        });
        const Row* baseline = found == rows.end() ? nullptr : &*found;
        const double open = Median(Each(row, &Figures::open));
        const double openOver = Median(OverBaseline(row, baseline, &Figures::open));
        const double preview = Median(Each(row, &Figures::preview));
        const double previewOver = Median(OverBaseline(row, baseline, &Figures::preview));
        const double save = Median(Each(row, &Figures::save));
        const double saveOver = Median(OverBaseline(row, baseline, &Figures::save));
        const double copy = Median(Each(row, &Figures::copy));
        const double saveLimit = kSaveCopyFactor * copy + kSaveSlackS + slack;
        std::vector<double> peaks;
        for (const Figures& figures : row.rounds) {
            peaks.push_back(figures.peak.mib);
            if (!std::isnan(figures.peak.mib))
                peakSource = figures.peak.source;
        }
        const double peak = Median(peaks);
        char peakText[32] = "-";
        if (!std::isnan(peak))
            std::snprintf(peakText, sizeof peakText, "%.1f", peak);
        const std::string name =
            std::string(strong ? (IsPlain(row.kind) ? "encrypt" : "decrypt") : KindName(row.kind)) +
            " " + SizeName(row.size);
        std::printf(kColumns, nameWidth, name.c_str(), SecondsText(open).c_str(),
                    SecondsText(openOver).c_str(), Verdict(openOver, kOpenLimitS + slack),
                    SecondsText(preview).c_str(), SecondsText(previewOver).c_str(),
                    Verdict(previewOver, kPreviewLimitS + slack), SecondsText(save).c_str(),
                    SecondsText(saveOver).c_str(), SecondsText(copy).c_str(),
                    SecondsText(saveLimit).c_str(), Verdict(saveOver, saveLimit), peakText,
                    Verdict(peak, peakLimit));
    }
}

void PrintTable(const std::vector<Row>& rows, int rounds) {
    std::printf("\nSeconds, median of %d round(s); \"over\" is minus the same step on the 16-byte "
                "file of the same kind in the same round.\n",
                rounds);
    std::printf("Targets: open and preview over <= %.1f s; save over <= %.0fx copy + %.1f s; "
                "peak working set < %.0f MiB.\n\n",
                kOpenLimitS, kSaveCopyFactor, kSaveSlackS, kPeakLimitMiB);
    const char* peakSource = "none";
    PrintRows(rows, false, peakSource);
    std::printf(
        "\nopen: from the Open dialog's OK until the file's button is on, its name is in "
        "pane 0 and the window answers.\npreview: from the key dialog's Continue until the "
        "success notice appears.\nsave: from the Save As dialog's OK until \"Open File\" "
        "is on and the window answers.\ncopy: CopyFileA of the same file (the copy, which the "
        "program then opens, is flushed to disk untimed). peak: the "
        "program's peak working set over the whole file, from %s.\n",
        peakSource);
    if (std::none_of(rows.begin(), rows.end(), [](const Row& row) { return IsStrong(row.kind); }))
        return;
    std::printf("\nThe strong format (\"Use strong encryption\" ticked; decrypt: the file that "
                "encrypt saved): \"over\" is minus the same step on the 16-byte file of the "
                "original format, so it includes the key derivation.\n");
    std::printf("Targets: open and preview over <= %.1f s + %.1f s; save over <= %.0fx copy + "
                "%.1f s + %.1f s; peak working set < %.0f MiB.\n\n",
                kOpenLimitS, kKeyDerivationS, kSaveCopyFactor, kSaveSlackS, kKeyDerivationS,
                kStrongPeakLimitMiB);
    PrintRows(rows, true, peakSource);
}

} // namespace

int main(int argc, char** argv) {
    const std::string folderArgument = argc > 1 ? argv[1] : "-";
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 1;
    const std::optional<std::vector<std::uint64_t>> sizes =
        ParseSizes(argc > 3 ? argv[3] : "16,1M,16M,256M");
    if (rounds < 1 || !sizes) {
        std::fprintf(stderr, "usage: document_window_bench.exe [folder|-] [rounds] [sizes]\n");
        return 2;
    }
    if (ProgramPath().empty()) {
        std::fprintf(stderr, "VQ_PROGRAM (the program's Unix path) is not set\n");
        return 2;
    }
    std::unique_ptr<ScratchFolder> scratch;
    std::string folder = folderArgument;
    if (folder == "-") {
        scratch = std::make_unique<ScratchFolder>("window-bench");
        folder = scratch->Path();
    }

    std::vector<Row> rows;
    std::vector<std::uint32_t> checksums;
    for (Kind kind : {Kind::Plain, Kind::Cipher, Kind::StrongPlain, Kind::StrongCipher}) {
        for (std::uint64_t size : *sizes) {
            const std::optional<std::uint32_t> checksum =
                FileRun::MadeByTheRun(kind)
                    ? std::optional<std::uint32_t>(0)
                    : WriteSampleFile(FileRun::OriginalPath(folder, kind, size), OriginalKind(kind),
                                      size);
            if (!checksum) {
                std::fprintf(stderr, "cannot write the sample files in %s\n", folder.c_str());
                return 1;
            }
            rows.push_back(Row{kind, size, {}});
            checksums.push_back(*checksum);
        }
    }
    std::printf("Veilquill through the real window under Wine: %d round(s), key of %u bytes\n",
                rounds, static_cast<unsigned>(sizeof kKey - 1));
    std::fflush(stdout);

    bool allDone = true;
    for (int round = 1; round <= rounds; ++round) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            Row& row = rows[i];
            Figures figures;
            std::string error;
            FileRun run(folder, row.kind, row.size, checksums[i]);
            const bool done = run.Run(figures, error);
            std::printf("round %d, %s %s: copy %s, open %s, preview %s, save %s s%s%s\n", round,
                        KindName(row.kind), SizeName(row.size).c_str(),
                        SecondsText(figures.copy).c_str(), SecondsText(figures.open).c_str(),
                        SecondsText(figures.preview).c_str(), SecondsText(figures.save).c_str(),
                        done ? "" : ": ", error.c_str());
            std::fflush(stdout);
            row.rounds.push_back(figures);
            allDone = allDone && done;
        }
    }
    PrintTable(rows, rounds);
    for (const Row& row : rows)
        DeleteFileA(FileRun::OriginalPath(folder, row.kind, row.size).c_str());
    return allDone ? 0 : 1;
}
