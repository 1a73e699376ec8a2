// The document cycle on one 64 MiB file: open, encrypt preview and encrypted save, then open,
// decrypt preview and decrypted save, next to a plain copy of the same file in the same run.
// The program's own work (reading, transforming, checking, writing) is timed apart from the
// edit control's display of the text, which is timed on its own.
//
//   document_bench.exe <folder> [rounds] [display-MiB]
//
// Every step runs once per round and the best round counts. Times are wall-clock: under Wine
// much of a file call's cost lies in the wine server, outside this process.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "document/file_replacement.h"
#include "document/file_saves.h"
#include "document/preview_reads.h"
#include "store/checksum_store.h"
#include "util/win_handles.h"
#include "bench/win32/bench_clock.h"
#include "bench/win32/display_window.h"

namespace {

constexpr std::uint32_t kFileSize = 64u * 1024u * 1024u;
constexpr char kKey[] = "a sixteen char k";

const unsigned char* Key() {
    return reinterpret_cast<const unsigned char*>(kKey);
}
std::size_t KeyLength() {
    return sizeof kKey - 1;
}

bool WriteSampleFile(const std::string& path) {
    std::vector<unsigned char> bytes(kFileSize);
    std::uint32_t state = 0x2545F491u;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        // Text-like: letters, spaces and line ends, now and then a zero byte.
        const unsigned value = state >> 24;
        bytes[i] = static_cast<unsigned char>(value < 2    ? 0
                                              : value < 40 ? ' '
                                              : value < 44 ? '\n'
                                                           : 'a' + value % 26);
    }
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file.get(), bytes.data(), kFileSize, &written, nullptr);
    return ok != FALSE && written == kFileSize;
}

bool FilesEqual(const std::string& first, const std::string& second) {
    const FileBytes a = ReadWholeFile(first.c_str(), 0);
    const FileBytes b = ReadWholeFile(second.c_str(), 0);
    return a.status == FileStatus::kOk && b.status == FileStatus::kOk && a.size == b.size &&
           std::equal(a.block.data(), a.block.data() + a.size, b.block.data());
}

struct Step {
    const char* name;
    double best = 1e30;
    void Take(double seconds) { best = std::min(best, seconds); }
};

void Report(const char* name, double seconds, double baseline) {
    std::printf("  %-34s %8.1f ms  %7.1f MB/s  %5.2f x copy\n", name, seconds * 1e3,
                kFileSize / 1e6 / seconds, seconds / baseline);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: document_bench <folder> [rounds] [display-MiB]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const std::uint32_t displayBytes =
        (argc > 3 ? static_cast<std::uint32_t>(std::atoi(argv[3])) : 1u) * 1024u * 1024u;
    const std::string original = folder + "\\original.txt";
    const std::string doc = folder + "\\document.txt";
    const std::string copy = folder + "\\copy.txt";
    const std::string store = folder + "\\Data\\";
    if (!WriteSampleFile(original)) {
        std::fprintf(stderr, "cannot write %s\n", original.c_str());
        return 1;
    }

    Step copyStep{"plain copy (CopyFileA)"};
    Step readStep{"plain read (ReadWholeFile)"};
    Step writeStep{"plain atomic write (flushed)"};
    Step openPlain{"open plain"};
    Step encryptPreview{"encrypt preview"};
    Step encryptedSave{"encrypted save"};
    Step openEncrypted{"open encrypted"};
    Step decryptPreview{"decrypt preview + record lookup"};
    Step decryptedSave{"decrypted save"};
    bool allGood = true;

    for (int round = 0; round < rounds; ++round) {
        copyStep.Take(
            Seconds([&] { allGood &= CopyFileA(original.c_str(), copy.c_str(), FALSE) != FALSE; }));
        CopyFileA(original.c_str(), doc.c_str(), FALSE);
        readStep.Take(
            Seconds([&] { allGood &= ReadWholeFile(doc.c_str(), 1).status == FileStatus::kOk; }));

        {
            const FileBytes bytes = ReadWholeFile(original.c_str(), 0);
            writeStep.Take(Seconds([&] {
                allGood &= ReplaceFileContent(copy.c_str(), nullptr, bytes.block.data(),
                                              bytes.size) == FileStatus::kOk;
            }));
        }
        openPlain.Take(Seconds([&] { allGood &= !ReadDocumentForDisplay(doc.c_str()).encrypted; }));
        PreviewSnapshot snapshot;
        encryptPreview.Take(Seconds([&] {
            PreviewText preview = ReadEncryptPreview(doc.c_str(), Key(), KeyLength());
            snapshot = preview.snapshot;
        }));
        char record[MAX_PATH] = {};
        SaveRequest request;
        request.sourcePath = doc.c_str();
        request.targetPath = doc.c_str();
        request.key = Key();
        request.keyLength = KeyLength();
        request.preview = snapshot;
        encryptedSave.Take(Seconds([&] {
            allGood &=
                SaveEncryptedFile(request, store.c_str(), record, sizeof record) == FileStatus::kOk;
        }));

        openEncrypted.Take(
            Seconds([&] { allGood &= ReadDocumentForDisplay(doc.c_str()).encrypted; }));
        char found[MAX_PATH] = {};
        decryptPreview.Take(Seconds([&] {
            PreviewText preview = ReadDecryptPreview(doc.c_str(), Key(), KeyLength());
            snapshot = preview.snapshot;
            allGood &= FindChecksumRecord(store.c_str(), snapshot.checksum, found, sizeof found);
        }));
        request.preview = snapshot;
        decryptedSave.Take(Seconds(
            [&] { allGood &= SaveDecryptedFile(request, found, true) == FileStatus::kOk; }));
        allGood &= FilesEqual(original, doc);
    }

    // The display: the loaded text handed to the view's edit control.
    double display = 0;
    {
        DisplayDocument loaded = ReadDocumentForDisplay(original.c_str());
        if (displayBytes < loaded.file.size)
            loaded.file.block.data()[displayBytes] = 0;
        DisplayWindow window;
        display = Seconds([&] { window.Show(loaded.file.block.text()); });
    }

    const double baseline = copyStep.best;
    std::printf("document cycle on a %u MiB file, key of %u bytes, best of %d rounds\n",
                kFileSize / (1024u * 1024u), static_cast<unsigned>(KeyLength()), rounds);
    for (const Step* step : {&copyStep, &readStep, &writeStep, &openPlain, &encryptPreview,
                             &encryptedSave, &openEncrypted, &decryptPreview, &decryptedSave})
        Report(step->name, step->best, baseline);
    std::printf("  whole cycle (six commands)         %8.1f ms  %5.2f x copy\n",
                (openPlain.best + encryptPreview.best + encryptedSave.best + openEncrypted.best +
                 decryptPreview.best + decryptedSave.best) *
                    1e3,
                (openPlain.best + encryptPreview.best + encryptedSave.best + openEncrypted.best +
                 decryptPreview.best + decryptedSave.best) /
                    baseline);
    const double displayMib = static_cast<double>(displayBytes) / (1024.0 * 1024.0);
    std::printf("  display: WM_SETTEXT of %.0f MiB        %8.1f ms (edit control, not the program;"
                " about %.0f s for 64 MiB at that rate)\n",
                displayMib, display * 1e3, display / displayMib * 64.0);
    std::printf("round trip %s\n", allGood ? "exact" : "FAILED");
    DeleteFileA(original.c_str());
    DeleteFileA(doc.c_str());
    DeleteFileA(copy.c_str());
    RemoveDirectoryA(store.c_str());
    return allGood ? 0 : 1;
}
