// The window during long file work: the real program saves a file of a few hundred MiB. While
// it does, the window answers, pane 0 shows the save's progress text with the share done and
// the buttons wait, all but "Exit", "About" and "Help"; afterwards they are as the table of
// states says. Closed during a save, the program ends with the file wholly old or wholly new,
// nothing beside it, no notice, and an encrypted file with its record.
#include "ui_document_support.h"

#include <cstdio>
#include <regex>

namespace vqtest {
namespace {

constexpr std::size_t kFileSize = 256u * 1024u * 1024u;
const std::string kKey = "k"; // one pass of the reference cipher over the whole file

const std::string kEncrypting = "    Encrypting file...";
const std::string kDecrypting = "    Decrypting file...";

// The notice's timer id, which ends it when it fires.
constexpr WPARAM kNoticeTimerId = 5;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class BusyWindowUi : public DocumentUi {
  protected:
    // The buttons a file work holds, in the order Save As, Clear, Open File, Encrypt, Decrypt,
    // Find Encrypted, Stop Find; then Exit, About, Help. '1' enabled, '0' disabled.
    std::string Buttons() const {
        std::string picture;
        for (int id : {kSaveAs, kClear, kOpenFile, kEncrypt, kDecrypt, kFindEncrypted, kStopFind})
            picture += Enabled(id) ? '1' : '0';
        picture += ' ';
        for (int id : {kExit, kAbout, kHelp})
            picture += Enabled(id) ? '1' : '0';
        return picture;
    }

    // Runs the preview with the key; its notice is ended at once (its own timer would end it
    // two seconds later) and "Save As" waited for.
    void Preview(KeyKind kind, const std::string& expectedNotice) {
        EnterKey(kind, kKey);
        std::optional<Notification> notice = WaitForNotification(Pid(), 120000);
        ASSERT_TRUE(notice.has_value());
        ASSERT_EQ(expectedNotice, NoticeText(notice->window));
        PostMessageA(notice->window, WM_TIMER, kNoticeTimerId, 0);
        ASSERT_TRUE(WaitUntil([&] { return Enabled(kSaveAs); }, 60000));
    }

    // Chooses the file in the Save As dialog; returns once pane 0 shows the save's progress
    // text, which it hands back ("" when none came).
    std::string StartSave(const std::string& path, const std::string& progressText) {
        EXPECT_TRUE(ClickControl(Main(), kSaveAs));
        HWND dialog = WaitForFileDialog(Pid(), "Save As");
        EXPECT_TRUE(dialog != nullptr && ChooseFileInDialog(dialog, path));
        std::string shown;
        WaitUntil(
            [&] {
                shown = Pane(0);
                return shown.compare(0, progressText.size(), progressText) == 0;
            },
            60000);
        return shown.compare(0, progressText.size(), progressText) == 0 ? shown : "";
    }

    void SetUp() override {
        plain_ = SampleText(kFileSize);
        // Made in place: a 32-bit test has no room for passing copies of 256 MiB.
        encrypted_.reserve(kFileSize + kTrailer.size());
        encrypted_ = plain_;
        LiteralCipherForward(reinterpret_cast<const unsigned char*>(kKey.data()), kKey.size(),
                             reinterpret_cast<unsigned char*>(&encrypted_[0]), kFileSize);
        encrypted_ += kTrailer;
        record_ = ExpectedRecord(plain_);
    }

    std::string plain_;
    std::string encrypted_;
    std::string record_;
};

TEST_F(BusyWindowUi, ALongSaveKeepsTheWindowAliveAndAClosedOneLeavesAWholeFile) {
    const Clock::time_point begin = Clock::now();
    const std::string path = Doc("large.txt");
    ASSERT_TRUE(WriteBytes(path, plain_));
    ASSERT_TRUE(program.Start("\"" + path + "\""));
    ASSERT_TRUE(WaitForPaneText(Bar(), 0, FileNameTextOfPath(path), 120000));
    Preview(KeyKind::Encrypt, kSuccessEncrypted);
    ASSERT_FALSE(HasFatalFailure());

    // The encrypted save, watched.
    const std::string before = Buttons();
    const Clock::time_point saveStart = Clock::now();
    const std::string progress = StartSave(path, kEncrypting);
    ASSERT_FALSE(progress.empty()) << "no progress text; pane 0: '" << Pane(0) << "'";
    EXPECT_TRUE(std::regex_match(progress, std::regex("    Encrypting file\\.\\.\\. [0-9]{1,3}%")))
        << progress;
    EXPECT_TRUE(RespondsWithin(Main(), 1000)) << "the window did not answer during the save";
    EXPECT_EQ("0000000 111", Buttons()) << "only Exit, About and Help stay usable";
    SaveScreenshot("busy_window_long_save");
    // The percentages seen on the way, and the longest wait for an answer.
    int texts = 0;
    std::string last = progress;
    double longestAnswerMs = 0;
    WaitUntil(
        [&] {
            const Clock::time_point asked = Clock::now();
            EXPECT_TRUE(RespondsWithin(Main(), 1000));
            longestAnswerMs = std::max(longestAnswerMs, MsSince(asked));
            const std::string now = Pane(0);
            if (now != last && now.compare(0, kEncrypting.size(), kEncrypting) == 0)
                ++texts;
            last = now;
            return now == FileNameTextOfPath(path);
        },
        120000);
    const double saveMs = MsSince(saveStart);
    EXPECT_EQ(FileNameTextOfPath(path), Pane(0)) << "pane 0 is as the preview left it";
    EXPECT_EQ(kEncryptedText, Pane(1));
    // The encrypted save's own changes on the buttons as they were: Save As and Encrypt off,
    // Open File and Decrypt on, Clear and the find buttons kept.
    std::string expected = before;
    expected[0] = '0';
    expected[2] = '1';
    expected[3] = '0';
    expected[4] = '1';
    EXPECT_EQ(expected, Buttons());
    EXPECT_TRUE(Bytes(path) == encrypted_) << "the encrypted save is exact";
    EXPECT_EQ(std::vector<std::string>{"0.dat"}, Records());
    std::printf("encrypted save of %zu bytes: %.0f ms with the dialog, %d further progress "
                "texts, longest answer %.0f ms\n",
                kFileSize, saveMs, texts, longestAnswerMs);

    // The decrypted save, closed while it runs: the program ends without a notice.
    Preview(KeyKind::Decrypt, kSuccessDecrypted);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_FALSE(StartSave(path, kDecrypting).empty());
    const Clock::time_point closed = Clock::now();
    PostMessageA(Main(), WM_CLOSE, 0, 0);
    bool noticeShown = false;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (HWND top : TopWindows(Pid(), "#32770"))
                noticeShown |= IsNotification(top);
            return !program.IsRunning();
        },
        120000));
    EXPECT_FALSE(noticeShown) << "a notice showed after the close";
    const std::string after = Bytes(path);
    const bool old = after == encrypted_;
    EXPECT_TRUE(old || after == plain_)
        << "the file is neither the old nor the new one (" << after.size() << " bytes)";
    if (old) {
        EXPECT_EQ(std::vector<std::string>{"0.dat"}, Records()) << "the encrypted file's record";
        EXPECT_EQ(record_, Bytes(DataFile("0.dat")));
    }
    EXPECT_EQ(std::vector<std::string>{"large.txt"}, SortedEntries(docs.Path()))
        << "nothing is left beside the file";
    std::printf("closed during the decrypted save: ended after %.0f ms with the %s file "
                "(whole test %.0f s)\n",
                MsSince(closed), old ? "old" : "new", MsSince(begin) / 1000.0);
}

} // namespace
} // namespace vqtest
