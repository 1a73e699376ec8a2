// File work on a thread of its own while the window's thread goes on: on a real window with the
// main window's buttons and status bar, made in this process. The work itself checks what the
// window shows while it runs (it may read the window, whose thread keeps answering).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdexcept>
#include <string>

#include "core/file_jobs.h"
#include "platform/platform.h"
#include "resources/resource_ids.h"
#include "tests/support/files.h"
#include "tests/support/sample_text.h"
#include "tests/support/scratch_folder.h"
#include "ui/background_work.h"
#include "ui/status_bar.h"

namespace vqtest {
namespace {

// Posted by a work to its window: the user closes the window, or the session ends.
constexpr UINT kCloseNow = WM_APP + 1;
constexpr UINT kSessionEnds = WM_APP + 2;

constexpr char kProgress[] = "    Encrypting file...";
constexpr char kNameText[] = "  File Name:  a.txt";

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* work = reinterpret_cast<BackgroundWork*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (work != nullptr && message == kCloseNow) {
        work->AskToClose();
        return 0;
    }
    if (work != nullptr && message == kSessionEnds) {
        work->FinishBeforeSessionEnds();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A window with the main window's ten buttons and its status bar, and the work it runs.
class BusyWindow : public ::testing::Test {
  protected:
    BusyWindow() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = TestWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "VqBusyTestWindow";
        RegisterClassA(&windowClass); // fails harmlessly once registered
        window_.reset(CreateWindowExA(0, "VqBusyTestWindow", "busy", WS_POPUP, 0, 0, 500, 400,
                                      nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
        parts_.window = window_.get();
        for (int id = IDC_BTN_SAVE_AS; id <= IDC_BTN_STOP_FIND; ++id)
            CreateWindowExA(0, "BUTTON", "b", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0,
                            (id - IDC_BTN_SAVE_AS) * 20, 60, 16, parts_.window,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        parts_.statusBar = CreateStatusBar(parts_.window, GetModuleHandleA(nullptr));
        SetPaneText(parts_.statusBar, 0, kNameText);
        SetWindowLongPtrA(parts_.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&work_));
        // A mixed picture: every other button disabled.
        for (int id = IDC_BTN_SAVE_AS; id <= IDC_BTN_STOP_FIND; ++id)
            EnableWindow(GetDlgItem(parts_.window, id), (id % 2) == 0);
    }
    ~BusyWindow() override { SetWindowLongPtrA(parts_.window, GWLP_USERDATA, 0); }

    // '1' enabled, '0' disabled, buttons 101 to 110; read without a message, so also from the
    // work's thread.
    std::string Buttons() const {
        std::string picture;
        for (int id = IDC_BTN_SAVE_AS; id <= IDC_BTN_STOP_FIND; ++id)
            picture += IsWindowEnabled(GetDlgItem(parts_.window, id)) ? '1' : '0';
        return picture;
    }

    // Pane 0, asked of the window's thread with a timeout: empty when it does not answer.
    std::string Pane0() const {
        char text[256] = {};
        DWORD_PTR result = 0;
        if (SendMessageTimeoutA(parts_.statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text),
                                SMTO_NORMAL, 2000, &result) == 0)
            return std::string();
        return text;
    }

    // From the work's thread: until pane 0 shows `text`.
    bool PaneBecomes(const std::string& text) const {
        for (int i = 0; i < 200; ++i) {
            if (Pane0() == text)
                return true;
            Sleep(10);
        }
        return false;
    }

    // From the work's thread: until the window's thread has asked for the stop.
    static bool StopArrives(const JobProgress& progress) {
        for (int i = 0; i < 500 && !progress.StopRequested(); ++i)
            Sleep(10);
        return progress.StopRequested();
    }

    bool CloseIsPosted() {
        MSG message{};
        return PeekMessageA(&message, parts_.window, WM_CLOSE, WM_CLOSE, PM_REMOVE) != FALSE;
    }

    UniqueWindow window_;
    WindowParts parts_;
    BackgroundWork work_{parts_};
};

TEST_F(BusyWindow, TheResultComesBackWhileTheWindowAnswersAndTheButtonsWait) {
    const std::string before = Buttons();
    std::string during;
    bool answered = false;
    const int result = work_.Run(
        WorkDisplay{},
        [&](JobProgress&) {
            during = Buttons();
            DWORD_PTR ignored = 0;
            answered =
                SendMessageTimeoutA(parts_.window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &ignored) != 0;
            return 42;
        },
        -1);
    EXPECT_EQ(42, result);
    EXPECT_TRUE(answered) << "the window's thread did not answer while the work ran";
    // Exit (103), About (107) and Help (108) keep their state; all others are disabled.
    std::string expected = "0000000000";
    for (int id : {IDC_BTN_EXIT, IDC_BTN_ABOUT, IDC_BTN_HELP})
        expected[id - IDC_BTN_SAVE_AS] = before[id - IDC_BTN_SAVE_AS];
    EXPECT_EQ(expected, during);
    EXPECT_EQ(before, Buttons()) << "every button is back as it was";
    EXPECT_EQ(kNameText, Pane0()) << "without a progress text pane 0 is left alone";
    EXPECT_FALSE(work_.Busy());
    EXPECT_FALSE(work_.Closing());
    EXPECT_FALSE(CloseIsPosted());
}

TEST_F(BusyWindow, PaneZeroShowsTheShareDoneAndThenWhatItShowedBefore) {
    std::string first, withoutText;
    bool reached = false;
    const bool ok = work_.Run(
        WorkDisplay{kProgress, 1000},
        [&](JobProgress& progress) {
            first = Pane0();
            progress.Advance(420);
            reached = PaneBecomes(std::string(kProgress) + " 42%");
            progress.Advance(580);
            return PaneBecomes(std::string(kProgress) + " 100%");
        },
        false);
    EXPECT_TRUE(ok);
    EXPECT_EQ(std::string(kProgress) + " 0%", first);
    EXPECT_TRUE(reached) << "pane 0 showed '" << Pane0() << "'";
    EXPECT_EQ(kNameText, Pane0());

    // Nothing is shown for a work without a progress text, whatever it does.
    work_.Run(
        WorkDisplay{nullptr, 1000},
        [&](JobProgress& progress) {
            progress.Advance(500);
            Sleep(400);
            withoutText = Pane0();
            return 0;
        },
        0);
    EXPECT_EQ(kNameText, withoutText);
}

TEST_F(BusyWindow, ClosingAsksTheWorkToStopAndComesBackOnceItHasEnded) {
    EXPECT_FALSE(work_.AskToClose()) << "nothing runs: the window may close at once";
    const std::string before = Buttons();
    const bool stopSeen = work_.Run(
        WorkDisplay{kProgress, 100},
        [&](JobProgress& progress) {
            PostMessageA(parts_.window, kCloseNow, 0, 0);
            return StopArrives(progress);
        },
        false);
    EXPECT_TRUE(stopSeen);
    EXPECT_TRUE(work_.Closing());
    EXPECT_TRUE(CloseIsPosted()) << "the window is closed again once the work has ended";
    EXPECT_EQ(before, Buttons());
    EXPECT_EQ(kNameText, Pane0());
}

TEST_F(BusyWindow, TheEndOfTheSessionWaitsForTheStoppedWork) {
    const bool stopSeen = work_.Run(
        WorkDisplay{},
        [&](JobProgress& progress) {
            PostMessageA(parts_.window, kSessionEnds, 0, 0);
            return StopArrives(progress);
        },
        false);
    EXPECT_TRUE(stopSeen);
    EXPECT_TRUE(work_.Closing());
    EXPECT_TRUE(CloseIsPosted());
}

TEST_F(BusyWindow, AQuitMetMeanwhileStopsTheWorkAndIsPostedAgain) {
    const DWORD thread = GetCurrentThreadId();
    const bool stopSeen = work_.Run(
        WorkDisplay{},
        [&](JobProgress& progress) {
            PostThreadMessageA(thread, WM_QUIT, 7, 0);
            return StopArrives(progress);
        },
        false);
    EXPECT_TRUE(stopSeen);
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, message.wParam);
}

TEST_F(BusyWindow, AnExceptionOfTheWorkStaysOnItsThreadAndGivesTheFailedValue) {
    const std::string before = Buttons();
    const int result = work_.Run(
        WorkDisplay{kProgress, 10},
        [](JobProgress&) -> int { throw std::runtime_error("no memory"); }, -1);
    EXPECT_EQ(-1, result);
    EXPECT_EQ(before, Buttons());
    EXPECT_EQ(kNameText, Pane0());
    EXPECT_FALSE(work_.Busy());
}

TEST(WorkProgressShare, IsWholePercentOfAnySizeAndNeverMoreThanAll) {
    WorkProgress unknown(0);
    unknown.Advance(5);
    EXPECT_EQ(0, unknown.Percent());
    WorkProgress huge(6ull << 40); // 6 TiB
    huge.Advance(3ull << 40);
    EXPECT_EQ(50, huge.Percent());
    huge.Advance(4ull << 40);
    EXPECT_EQ(100, huge.Percent());
    WorkProgress small(3);
    small.Advance(2);
    EXPECT_EQ(66, small.Percent());
    EXPECT_FALSE(small.StopRequested());
    small.RequestStop();
    EXPECT_TRUE(small.StopRequested());
}

// The document's file work hears of the bytes it goes over, and once asked to stop it reads and
// writes nothing.
TEST(DocumentWorkProgress, ReadsAndSavesReportTheirBytesAndStopBeforeChangingAnything) {
    ScratchFolder docs;
    ScratchFolder store;
    const std::string path = docs.File("a.txt");
    const std::string plain = SampleText(300000);
    ASSERT_TRUE(WriteBytes(path, plain));
    TypedKey key;
    ASSERT_EQ(KeyProblem::kNone, key.AssignBytes(reinterpret_cast<const unsigned char*>("key"), 3));
    std::unique_ptr<Encryption> encryption;
    ASSERT_TRUE(PrepareEncryption(SystemFiles(), FormatKind::kOriginal, key, encryption).done());
    FileAccess& files = SystemFiles();
    const OpenPurpose open = OpenPurpose::kReadWritable;

    // A load reads only what the view shows: it is over at once, whatever the file's size.
    WorkProgress loaded(plain.size());
    EXPECT_TRUE(ReadFileHead(files, path, open, 100, &loaded).result.done());
    WorkProgress previewed(plain.size());
    const PreviewPass preview = PreviewEncryption(files, path, open, *encryption, 100, &previewed);
    ASSERT_TRUE(preview.result.done());
    EXPECT_EQ(100, previewed.Percent());

    WorkProgress stopped(plain.size());
    stopped.RequestStop();
    EXPECT_EQ(FileFailure::kStopped, ReadFileHead(files, path, open, 100, &stopped).result.file);
    EXPECT_EQ(FileFailure::kStopped,
              PreviewDecryption(files, path, open, key, nullptr, 100, &stopped).result.file);

    std::unique_ptr<RecordFolder> folder = OpenRecordFolder(store.WithBackslash());
    RecordStore records(*folder);
    const Destination inPlace{path, SaveTarget::kSource};
    EXPECT_EQ(
        FileFailure::kStopped,
        Encrypt(files, path, inPlace, *encryption, &preview.snapshot, records, &stopped).file);
    EXPECT_EQ(FileFailure::kStopped,
              Decrypt(files, path, inPlace, key, &preview.snapshot, &records, &stopped).file);
    EXPECT_EQ(plain, ReadBytes(path).value_or("?"));
    EXPECT_TRUE(SortedEntries(store.Path()).empty()) << "a stopped save leaves no record";
    EXPECT_EQ(std::vector<std::string>{"a.txt"}, SortedEntries(docs.Path()));

    WorkProgress saved(plain.size());
    EXPECT_TRUE(
        Encrypt(files, path, inPlace, *encryption, &preview.snapshot, records, &saved).done());
    EXPECT_EQ(100, saved.Percent());
}

} // namespace
} // namespace vqtest
