// A save ended at any moment: the real program saves a file of 24 MiB and is killed with
// TerminateProcess at moments spread over the save, again and again. After every kill the file
// is wholly the old one or wholly the new one, an encrypted file has a record that verifies
// its key, and no file is left beside it (a temporary file would hold the new content, which
// a decrypted save has in plain text) unless the kill fell at the moment the new content was put in
// place: then the program's own temporary file may hold exactly the whole new content, which the
// next save in that folder removes, and Wine's ReplaceFileA may leave an empty rf*.tmp of its own.
// Strong files are killed the same way, at fewer moments: a strong file written anew is new
// when it has the strong shape and the command-line program decrypts it to the plain text, and
// neither direction leaves a record.
//
// How long a save takes is measured first in the same run: the Save As dialog takes a while
// to return under Wine, so a save of a tiny file gives that part, and the save of the large
// file timed the same way gives the rest.
#include "ui_document_support.h"
#include "ui_strong_support.h"

#include <algorithm>
#include <cstdio>
#include <regex>

namespace vqtest {
namespace {

constexpr std::size_t kFileSize = 24u * 1024u * 1024u;
// Kills per direction, spread from a little before the save starts to a little after it ends.
constexpr int kKills = 11;
constexpr int kStrongKills = 5;
constexpr double kFirstKill = -0.15; // in parts of the save's own time, from its start
constexpr double kLastKill = 1.2;
// How much the Save As dialog's own time varies from one save to the next. A save shorter
// than that cannot be hit by its measured parts; its kills are spread around the moment the
// file changed instead, from this long before it to a little after.
constexpr double kDialogJitterMs = 300;
constexpr double kAfterReplacementMs = 100;
// A short key: the reference cipher passes over the whole file once per key byte.
const std::string kKey = "kill";

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

enum class Direction { kEncrypt, kDecrypt };
enum class Format { kOriginal, kStrong };

// Where the file stands after a kill.
enum class Outcome { kOld, kNew, kNeither };

class SaveKillUi : public ::testing::Test {
  protected:
    static std::string Bytes(const std::string& path) {
        return ReadBytes(path).value_or("<unreadable>");
    }

    void SetUp() override {
        plain_ = SampleText(kFileSize);
        encrypted_ = ExpectedEncryptedFile(kKey, plain_);
        record_ = ExpectedRecord(plain_);
    }

    // The strong file the decryption starts from, made once by the command-line program.
    void UseStrongFormat() {
        format_ = Format::kStrong;
        const std::string made = JoinPath(cliWork_.Path(), "made.txt");
        ASSERT_TRUE(WriteBytes(made, plain_));
        ASSERT_EQ(0u, cli_.Run("encrypt --strong", made));
        encrypted_ = Bytes(made);
        ASSERT_TRUE(LooksStrong(encrypted_, plain_.size()));
        DeleteFileA(made.c_str());
    }
    bool Strong() const { return format_ == Format::kStrong; }

    // Whether `bytes` (of the file at `path`) are the new content: a strong encryption is new
    // each time, so it is new when the command-line program gives the plain text back.
    bool IsNew(Direction direction, const std::string& path, const std::string& bytes) const {
        if (Strong() && direction == Direction::kEncrypt)
            return LooksStrong(bytes, plain_.size()) && cli_.Decrypted(path) == plain_;
        return bytes == NewBytes(direction);
    }

    const std::string& OldBytes(Direction direction) const {
        return direction == Direction::kEncrypt ? plain_ : encrypted_;
    }
    const std::string& NewBytes(Direction direction) const {
        return direction == Direction::kEncrypt ? encrypted_ : plain_;
    }
    std::string Target() const { return docs_.File("document.txt"); }

    // Starts a fresh copy of the program with the file on its command line (loaded at
    // start-up, without the Open dialog). An encrypted file gets its record in Data\ first.
    void StartWith(ProgramUnderTest& program, const std::string& path, bool withRecord,
                   const std::string& record) {
        if (Strong()) {
            ASSERT_TRUE(PlaceCryptoLibrary(program));
        }
        if (withRecord) {
            ASSERT_TRUE(MakeFolders(program.DataFolder()));
            ASSERT_TRUE(WriteBytes(JoinPath(program.DataFolder(), "0.dat"), record));
        }
        ASSERT_TRUE(program.Start("\"" + path + "\""));
        ASSERT_TRUE(WaitForPaneText(program.StatusBar(), 0, FileNameTextOfPath(path)));
    }

    // Runs the preview with the key; once its notice is there, it is ended at once (its own
    // timer would end it two seconds later) and "Save As" is waited for.
    void Preview(ProgramUnderTest& program, Direction direction, bool strong) {
        const KeyKind kind = direction == Direction::kEncrypt ? KeyKind::Encrypt : KeyKind::Decrypt;
        ASSERT_TRUE(ClickControl(program.MainWindow(),
                                 direction == Direction::kEncrypt ? kEncrypt : kDecrypt));
        HWND keyDialog = WaitForKeyDialog(program.Pid(), kind);
        ASSERT_NE(nullptr, keyDialog);
        if (kind == KeyKind::Encrypt) {
            ASSERT_TRUE(SetStrongBox(keyDialog, strong));
        }
        ASSERT_TRUE(TypeKey(keyDialog, kKey));
        ASSERT_TRUE(PressKeyContinue(keyDialog));
        std::optional<Notification> notice = WaitForNotification(program.Pid(), 60000);
        ASSERT_TRUE(notice.has_value());
        ASSERT_EQ(direction == Direction::kEncrypt ? kSuccessEncrypted : kSuccessDecrypted,
                  NoticeText(notice->window));
        PostMessageA(notice->window, WM_TIMER, kNoticeTimerId, 0);
        ASSERT_TRUE(WaitUntil([&] { return IsControlEnabled(program.MainWindow(), kSaveAs); }));
    }

    // Opens the Save As dialog, chooses the loaded file and presses OK; returns that moment.
    Clock::time_point PressSave(ProgramUnderTest& program, const std::string& path) {
        EXPECT_TRUE(ClickControl(program.MainWindow(), kSaveAs));
        HWND dialog = WaitForFileDialog(program.Pid(), "Save As");
        EXPECT_NE(nullptr, dialog);
        EXPECT_TRUE(dialog != nullptr && ChooseFileInDialog(dialog, path));
        return Clock::now();
    }

    // Milliseconds from OK in the Save As dialog until the save has ended ("Save As" is
    // disabled and "Open File" enabled; while the save runs both are held off); `replacedMs` gets
    // the moment the file's size changed, when it did.
    double TimedSave(ProgramUnderTest& program, const std::string& path, double* replacedMs) {
        const std::size_t sizeBefore = ReadBytes(path).value_or("").size();
        const Clock::time_point pressed = PressSave(program, path);
        bool swapped = false;
        const bool ended = WaitUntil(
            [&] {
                if (replacedMs != nullptr && !swapped) {
                    WIN32_FILE_ATTRIBUTE_DATA data{};
                    if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
                        data.nFileSizeLow != sizeBefore) {
                        swapped = true;
                        *replacedMs = MsSince(pressed);
                    }
                }
                return !IsControlEnabled(program.MainWindow(), kSaveAs) &&
                       IsControlEnabled(program.MainWindow(), kOpenFile);
            },
            60000);
        EXPECT_TRUE(ended) << "the save did not end";
        return MsSince(pressed);
    }

    // The baseline (a save of 16 bytes) and the save of the large file, each through the
    // whole dialog, in one program.
    struct SaveTiming {
        double dialogMs = 0;    // from OK until a tiny save has ended
        double saveMs = 0;      // the large save's own time: its whole time less the baseline
        double replacedMs = -1; // when the file changed, from the save's start
    };
    SaveTiming MeasureSave(Direction direction) {
        SaveTiming timing;
        const std::string tiny = docs_.File("tiny.txt");
        const std::string tinyPlain = "sixteen bytes!!!";
        const bool tinyEncrypted = direction == Direction::kDecrypt;
        EXPECT_TRUE(
            WriteBytes(tiny, tinyEncrypted ? ExpectedEncryptedFile(kKey, tinyPlain) : tinyPlain));
        EXPECT_TRUE(WriteBytes(Target(), OldBytes(direction)));
        ProgramUnderTest program;
        StartWith(program, tiny, tinyEncrypted, ExpectedRecord(tinyPlain));
        Preview(program, direction, false);
        timing.dialogMs = TimedSave(program, tiny, nullptr);

        // The large file through the Open dialog; its record goes beside the tiny one's.
        if (direction == Direction::kDecrypt && !Strong()) {
            EXPECT_TRUE(WriteBytes(JoinPath(program.DataFolder(), "1.dat"), record_));
        }
        EXPECT_TRUE(ClickControlAndWait(program.MainWindow(), kClear));
        EXPECT_TRUE(ClickControl(program.MainWindow(), kOpenFile));
        HWND open = WaitForFileDialog(program.Pid(), "Open");
        EXPECT_TRUE(open != nullptr && ChooseFileInDialog(open, Target()));
        EXPECT_TRUE(WaitForPaneText(program.StatusBar(), 0, FileNameTextOfPath(Target()), 60000));
        Preview(program, direction, Strong());
        double replacedMs = -1;
        const double wholeMs = TimedSave(program, Target(), &replacedMs);
        timing.saveMs = std::max(wholeMs - timing.dialogMs, 1.0);
        timing.replacedMs = replacedMs < 0 ? -1 : replacedMs - timing.dialogMs;
        EXPECT_TRUE(IsNew(direction, Target(), Bytes(Target()))) << "the measured save is exact";
        EXPECT_TRUE(DeleteFileA(tiny.c_str()));
        return timing;
    }

    // Kills a fresh program `afterMs` after its save's start and tells where the file stands.
    Outcome KillDuringSave(Direction direction, double afterMs, const SaveTiming& timing) {
        if (Bytes(Target()) != OldBytes(direction)) {
            EXPECT_TRUE(WriteBytes(Target(), OldBytes(direction)));
        }
        ProgramUnderTest program;
        StartWith(program, Target(), direction == Direction::kDecrypt && !Strong(), record_);
        Preview(program, direction, Strong());
        const Clock::time_point pressed = PressSave(program, Target());
        const double killAt = timing.dialogMs + afterMs;
        while (MsSince(pressed) < killAt)
            Sleep(1);
        EXPECT_TRUE(TerminateProcess(program.Process(), 1));
        EXPECT_TRUE(program.WaitForExit(30000));

        const std::string bytes = Bytes(Target());
        const Outcome outcome = bytes == OldBytes(direction)        ? Outcome::kOld
                                : IsNew(direction, Target(), bytes) ? Outcome::kNew
                                                                    : Outcome::kNeither;
        EXPECT_NE(Outcome::kNeither, outcome)
            << "killed " << afterMs << " ms into the save: the file has " << bytes.size()
            << " bytes and is neither the old nor the new one";
        CheckAfterKill(direction, outcome, program, afterMs);
        return outcome;
    }

    // An encrypted file has a record that verifies its key; nothing but the file is in its
    // folder, or for a kill while the new content was put in place a temporary file with the whole
    // new content, or for a kill in the moment the temporary file was made, that file still empty.
    void CheckAfterKill(Direction direction, Outcome outcome, const ProgramUnderTest& program,
                        double afterMs) {
        const bool encryptedNow = (direction == Direction::kEncrypt) == (outcome == Outcome::kNew);
        if (Strong()) {
            EXPECT_TRUE(SortedEntries(program.DataFolder()).empty())
                << "killed " << afterMs << " ms into the save: a record was written";
        } else if (outcome != Outcome::kNeither && encryptedNow) {
            bool verified = false;
            for (const std::string& name : SortedEntries(program.DataFolder()))
                verified |= Bytes(JoinPath(program.DataFolder(), name)) == record_;
            EXPECT_TRUE(verified) << "killed " << afterMs
                                  << " ms into the save: the encrypted file has no record";
        }
        // A temporary file left by the kill before is gone once a save here put its new content in
        // place.
        if (!pendingTemp_.empty()) {
            if (outcome == Outcome::kNew) {
                EXPECT_FALSE(FileExists(pendingTemp_)) << "the next save left " << pendingTemp_;
            }
            DeleteFileA(pendingTemp_.c_str());
            pendingTemp_.clear();
        }
        static const std::regex ourTemp("vq~[0-9a-z]{10}\\.tmp");
        static const std::regex wineTemp("rf[0-9a-fA-F]+\\.tmp"); // GetTempFileName("rf")
        bool inReplacement = false;
        for (const std::string& name : SortedEntries(docs_.Path())) {
            if (name == "document.txt")
                continue;
            const std::string left = Bytes(docs_.File(name));
            if (std::regex_match(name, ourTemp) && left.empty()) {
                // Killed between making the temporary file and marking it for deletion: the
                // next save removes it before it writes.
                pendingTemp_ = docs_.File(name);
                continue;
            }
            if ((std::regex_match(name, ourTemp) && IsNew(direction, docs_.File(name), left)) ||
                (std::regex_match(name, wineTemp) && left.empty())) {
                inReplacement = true;
                if (left.empty())
                    DeleteFileA(docs_.File(name).c_str()); // Wine's own: nothing removes it
                else
                    pendingTemp_ = docs_.File(name);
                continue;
            }
            const bool plainText = !left.empty() && plain_.compare(0, left.size(), left) == 0;
            ADD_FAILURE() << "killed " << afterMs << " ms into the save: " << name << " ("
                          << left.size() << " bytes" << (plainText ? ", plain text" : "")
                          << ") is left beside the file";
            DeleteFileA(docs_.File(name).c_str());
        }
        leftInReplacement_ += inReplacement ? 1 : 0;
    }

    void KillAndCount(Direction direction, const char* name) {
        const Clock::time_point start = Clock::now();
        const SaveTiming timing = MeasureSave(direction);
        ASSERT_FALSE(HasFailure());
        std::printf("%s save of %zu bytes: dialog %.0f ms, save %.0f ms, file changed at %.0f ms\n",
                    name, kFileSize, timing.dialogMs, timing.saveMs, timing.replacedMs);
        const int kills = Strong() ? kStrongKills : kKills;
        int old = 0;
        int fresh = 0;
        for (int kill = 0; kill < kills; ++kill) {
            const double part = kFirstKill + (kLastKill - kFirstKill) * kill / (kills - 1);
            double afterMs = std::max(part * timing.saveMs, -timing.dialogMs);
            if (timing.replacedMs != -1 && timing.saveMs < kDialogJitterMs)
                afterMs = timing.replacedMs - kDialogJitterMs +
                          (kDialogJitterMs + kAfterReplacementMs) * kill / (kills - 1);
            const Outcome outcome = KillDuringSave(direction, afterMs, timing);
            old += outcome == Outcome::kOld ? 1 : 0;
            fresh += outcome == Outcome::kNew ? 1 : 0;
            std::printf("  kill %2d at %6.0f ms (%5.2f of the save): %s\n", kill + 1, afterMs,
                        afterMs / timing.saveMs,
                        outcome == Outcome::kOld   ? "old"
                        : outcome == Outcome::kNew ? "new"
                                                   : "NEITHER");
            if (HasFatalFailure())
                return;
        }
        std::printf("%s save: %d kills, %d left the old file, %d the new one (%.0f s)\n", name,
                    kills, old, fresh, MsSince(start) / 1000.0);
        std::printf("%d kills fell while the new content was put in place\n", leftInReplacement_);
        std::fflush(stdout);
    }

    // The notice's timer id, which ends it when it fires.
    static constexpr WPARAM kNoticeTimerId = 5;

    ScratchFolder docs_{"vqkill"};
    ScratchFolder cliWork_{"vqkillcli"};
    StrongCli cli_{cliWork_.Path(), kKey};
    Format format_ = Format::kOriginal;
    int leftInReplacement_ = 0;
    std::string pendingTemp_; // a temporary file a kill left, for the next save to remove
    std::string plain_;
    std::string encrypted_;
    std::string record_;
};

TEST_F(SaveKillUi, AnEncryptedSaveKilledAtAnyMomentLeavesTheOldOrTheNewFile) {
    KillAndCount(Direction::kEncrypt, "encrypted");
}

TEST_F(SaveKillUi, ADecryptedSaveKilledAtAnyMomentLeavesNoPlainTextBehind) {
    KillAndCount(Direction::kDecrypt, "decrypted");
}

TEST_F(SaveKillUi, AStrongEncryptedSaveKilledAtAnyMomentLeavesTheOldOrTheNewFile) {
    ASSERT_NO_FATAL_FAILURE(UseStrongFormat());
    KillAndCount(Direction::kEncrypt, "strong encrypted");
}

TEST_F(SaveKillUi, AStrongDecryptedSaveKilledAtAnyMomentLeavesNoPlainTextBehind) {
    ASSERT_NO_FATAL_FAILURE(UseStrongFormat());
    KillAndCount(Direction::kDecrypt, "strong decrypted");
}

} // namespace
} // namespace vqtest
