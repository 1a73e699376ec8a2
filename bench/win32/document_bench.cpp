// The document cycle on one file of any size: open, encrypt preview and encrypted save, then
// open, decrypt preview and decrypted save, next to a plain copy of the same file in the same
// run. Each step is the one call the window makes for it, so the figures are the program's own
// file work; the view is handed at most its bound and is not timed here. Also printed: the
// processor time of the previews and the process's peak working set, which must stay bounded
// whatever the file's size (the sample file is written and compared in pieces too).
//
//   document_bench.exe <folder> [size-MiB] [rounds]
//
// Every step runs once per round and the best round counts. Times are wall-clock unless
// marked: under Wine much of a file call's cost lies in the wine server, outside this process.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/win32/bench_clock.h"
#include "core/file_jobs.h"
#include "platform/platform.h"
#include "platform/win32_handles.h"

namespace {

constexpr char kKey[] = "a sixteen char k";
constexpr std::size_t kPiece = 1024 * 1024;

const unsigned char* Key() {
    return reinterpret_cast<const unsigned char*>(kKey);
}
std::size_t KeyLength() {
    return sizeof kKey - 1;
}

// Text-like bytes (letters, spaces and line ends, now and then a zero byte), a piece at a time.
bool WriteSampleFile(const std::string& path, std::uint64_t size) {
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return false;
    std::vector<unsigned char> piece(kPiece);
    std::uint32_t state = 0x2545F491u;
    for (std::uint64_t done = 0; done < size;) {
        const DWORD count = static_cast<DWORD>(std::min<std::uint64_t>(kPiece, size - done));
        for (DWORD i = 0; i < count; ++i) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const unsigned value = state >> 24;
            piece[i] = static_cast<unsigned char>(value < 2    ? 0
                                                  : value < 40 ? ' '
                                                  : value < 44 ? '\n'
                                                               : 'a' + value % 26);
        }
        DWORD written = 0;
        if (WriteFile(file.get(), piece.data(), count, &written, nullptr) == FALSE ||
            written != count)
            return false;
        done += count;
    }
    return true;
}

bool FilesEqual(const std::string& first, const std::string& second) {
    UniqueHandle a(CreateFileA(first.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               0, nullptr));
    UniqueHandle b(CreateFileA(second.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr));
    if (!a.valid() || !b.valid())
        return false;
    std::vector<unsigned char> pieceA(kPiece);
    std::vector<unsigned char> pieceB(kPiece);
    for (;;) {
        DWORD gotA = 0;
        DWORD gotB = 0;
        if (ReadFile(a.get(), pieceA.data(), kPiece, &gotA, nullptr) == FALSE ||
            ReadFile(b.get(), pieceB.data(), kPiece, &gotB, nullptr) == FALSE || gotA != gotB ||
            !std::equal(pieceA.begin(), pieceA.begin() + gotA, pieceB.begin()))
            return false;
        if (gotA == 0)
            return true;
    }
}

// Processor time of this process (all threads, user and kernel), in seconds.
double ProcessorSeconds() {
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& time) {
        return static_cast<double>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime) /
               1e7;
    };
    return seconds(kernel) + seconds(user);
}

double PeakWorkingSetMiB() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

struct Step {
    const char* name;
    double best = 1e30;
    double bestCpu = 1e30;
    template <typename Work> void Take(Work work) {
        const double cpu = ProcessorSeconds();
        best = std::min(best, Seconds(work));
        bestCpu = std::min(bestCpu, ProcessorSeconds() - cpu);
    }
};

void Report(const Step& step, double bytes, double baseline) {
    std::printf("  %-34s %8.1f ms (cpu %7.1f ms) %8.1f MB/s  %5.2f x copy\n", step.name,
                step.best * 1e3, step.bestCpu * 1e3, bytes / 1e6 / step.best, step.best / baseline);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: document_bench <folder> [size-MiB] [rounds]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const std::uint64_t size =
        (argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 64) * 1024u * 1024u;
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    const std::string original = folder + "\\original.txt";
    const std::string doc = folder + "\\document.txt";
    const std::string copy = folder + "\\copy.txt";
    const std::string store = folder + "\\Data\\";
    if (!WriteSampleFile(original, size)) {
        std::fprintf(stderr, "cannot write %s\n", original.c_str());
        return 1;
    }
    const double peakBefore = PeakWorkingSetMiB();

    Step copyStep{"plain copy (CopyFileA)"};
    Step openPlain{"open plain"};
    Step encryptPreview{"encrypt preview"};
    Step encryptedSave{"encrypted save"};
    Step openEncrypted{"open encrypted"};
    Step decryptPreview{"decrypt preview + record lookup"};
    Step decryptedSave{"decrypted save"};
    bool allGood = true;

    for (int round = 0; round < rounds; ++round) {
        copyStep.Take(
            [&] { allGood &= CopyFileA(original.c_str(), copy.c_str(), FALSE) != FALSE; });
        CopyFileA(original.c_str(), doc.c_str(), FALSE);
        FileAccess& files = SystemFiles();
        const OpenPurpose open = OpenPurpose::kReadWritable;
        const auto encrypted = [&] {
            return ReadFileHead(files, doc, open, 8193, nullptr).format.encrypted();
        };
        openPlain.Take([&] { allGood &= !encrypted(); });
        TypedKey key;
        (void)key.AssignBytes(Key(), KeyLength());
        std::unique_ptr<Encryption> encryption;
        allGood &= PrepareEncryption(SystemFiles(), FormatKind::kOriginal, key, encryption).done();
        std::unique_ptr<RecordFolder> folder = OpenRecordFolder(store);
        RecordStore records(*folder);
        const Destination inPlace{doc, SaveTarget::kSource};
        ContentSnapshot snapshot;
        encryptPreview.Take([&] {
            const PreviewPass preview =
                PreviewEncryption(files, doc, open, *encryption, 8193, nullptr);
            allGood &= preview.result.done();
            snapshot = preview.snapshot;
        });
        encryptedSave.Take([&] {
            allGood &=
                Encrypt(files, doc, inPlace, *encryption, &snapshot, records, nullptr).done();
        });

        openEncrypted.Take([&] { allGood &= encrypted(); });
        std::unique_ptr<Decryption> decryption; // kept for the save, as the window keeps it
        decryptPreview.Take([&] {
            PreviewPass preview = PreviewDecryption(files, doc, open, key, &records, 8193, nullptr);
            allGood &= preview.result.done() && preview.decryption != nullptr;
            snapshot = preview.snapshot;
            decryption = std::move(preview.decryption);
        });
        decryptedSave.Take([&] {
            allGood &=
                decryption != nullptr &&
                Decrypt(files, doc, inPlace, *decryption, snapshot, &records, nullptr).done();
        });
        allGood &= FilesEqual(original, doc);
    }

    const double baseline = copyStep.best;
    const double bytes = static_cast<double>(size);
    std::printf("document cycle on a %llu MiB file, key of %u bytes, best of %d rounds\n",
                static_cast<unsigned long long>(size / (1024u * 1024u)),
                static_cast<unsigned>(KeyLength()), rounds);
    for (const Step* step : {&copyStep, &openPlain, &encryptPreview, &encryptedSave, &openEncrypted,
                             &decryptPreview, &decryptedSave})
        Report(*step, bytes, baseline);
    std::printf("  peak working set %.1f MiB (%.1f MiB before the cycle)\n", PeakWorkingSetMiB(),
                peakBefore);
    std::printf("round trip %s\n", allGood ? "exact" : "FAILED");
    DeleteFileA(original.c_str());
    DeleteFileA(doc.c_str());
    DeleteFileA(copy.c_str());
    RemoveDirectoryA(store.c_str());
    return allGood ? 0 : 1;
}
