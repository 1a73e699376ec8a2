#include "ui/background_work.h"

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "resources/resource_ids.h"
#include "ui/status_bar.h"
#include "platform/win32_wide_text.h"
#include "platform/win32_handles.h"

namespace {

// The share done is looked at this often; the pane changes only when the figure has.
constexpr DWORD kRefreshMs = 150;

// The buttons a work disables: every one but "Exit", "About" and "Help".
constexpr int kButtonsDisabledWhileWorking[] = {
    IDC_BTN_SAVE_AS, IDC_BTN_CLEAR,          IDC_BTN_OPEN_FILE, IDC_BTN_ENCRYPT,
    IDC_BTN_DECRYPT, IDC_BTN_FIND_ENCRYPTED, IDC_BTN_STOP_FIND};
constexpr int kDisabledButtonCount =
    sizeof kButtonsDisabledWhileWorking / sizeof kButtonsDisabledWhileWorking[0];

// Room for a progress line; the program's own texts are far shorter.
constexpr int kPaneTextCapacity = 512;

// The buttons are disabled while the object lives and then come back as they were.
class ButtonsDisabledWhileWorking {
  public:
    explicit ButtonsDisabledWhileWorking(HWND mainWindow) : window_(mainWindow) {
        for (int i = 0; i < kDisabledButtonCount; ++i) {
            HWND button = GetDlgItem(window_, kButtonsDisabledWhileWorking[i]);
            wasEnabled_[i] = IsWindowEnabled(button) != FALSE;
            EnableWindow(button, FALSE);
        }
    }
    ~ButtonsDisabledWhileWorking() {
        for (int i = 0; i < kDisabledButtonCount; ++i)
            EnableWindow(GetDlgItem(window_, kButtonsDisabledWhileWorking[i]),
                         wasEnabled_[i] ? TRUE : FALSE);
    }
    ButtonsDisabledWhileWorking(const ButtonsDisabledWhileWorking&) = delete;
    ButtonsDisabledWhileWorking& operator=(const ButtonsDisabledWhileWorking&) = delete;

  private:
    HWND window_;
    bool wasEnabled_[kDisabledButtonCount] = {};
};

// Pane 0 shows the progress text and the share done while the object lives, then what it
// showed before. Without a progress text it is left alone.
class ProgressPane {
  public:
    ProgressPane(HWND statusBar, const char* progressText) : bar_(statusBar), text_(progressText) {
        if (text_ == nullptr)
            return;
        const LRESULT length = SendMessageW(bar_, SB_GETTEXTLENGTHW, kPaneName, 0);
        std::wstring before(LOWORD(length) + 1, L'\0');
        SendMessageW(bar_, SB_GETTEXTW, kPaneName, reinterpret_cast<LPARAM>(&before[0]));
        before_ = Utf8FromWide(before.c_str());
    }
    ~ProgressPane() {
        if (text_ != nullptr)
            SetPaneText(bar_, kPaneName, !before_.empty() ? before_.c_str() : kBlankPaneText);
    }
    ProgressPane(const ProgressPane&) = delete;
    ProgressPane& operator=(const ProgressPane&) = delete;

    // Shows the share done when it has changed since it was last shown.
    void Show(int percent) {
        if (text_ == nullptr || percent == shown_)
            return;
        char line[kPaneTextCapacity] = {};
        std::snprintf(line, sizeof line, "%s %d%%", text_, percent);
        SetPaneText(bar_, kPaneName, line);
        UpdateWindow(bar_);
        shown_ = percent;
    }

  private:
    HWND bar_;
    const char* text_;
    std::string before_; // what pane 0 showed before, whole
    int shown_ = -1;
};

// What the work's thread is given; it lives on the stack of RunWork, which outlives the thread.
struct WorkStart {
    const BackgroundWork::WorkBody& work;
    WorkProgress& progress;
    bool threw = false;
};

// Runs the work, keeping every exception on this side.
void RunGuarded(WorkStart& start) {
    try {
        start.work.call(start.work.context, start.progress);
    } catch (...) {
        start.threw = true;
    }
}

DWORD WINAPI WorkThreadMain(LPVOID parameter) {
    RunGuarded(*static_cast<WorkStart*>(parameter));
    return 0;
}

} // namespace

// The work's thread, waited for before its owner goes, whatever happens: the work uses what
// lives on the stack of RunWork.
class WorkThread {
  public:
    explicit WorkThread(WorkStart& start)
        : handle_(CreateThread(nullptr, 0, WorkThreadMain, &start, 0, nullptr)) {}
    ~WorkThread() { WaitForEnd(); }
    WorkThread(const WorkThread&) = delete;
    WorkThread& operator=(const WorkThread&) = delete;

    bool Started() const { return handle_.valid(); }
    HANDLE Handle() const { return handle_.get(); }
    bool Ended() const {
        return !Started() || WaitForSingleObject(handle_.get(), 0) == WAIT_OBJECT_0;
    }
    void WaitForEnd() const {
        if (Started())
            WaitForSingleObject(handle_.get(), INFINITE);
    }

  private:
    UniqueHandle handle_;
};

namespace {

// Hands one waiting message on as the program's message loop does; false at WM_QUIT, whose exit
// code is then kept in `quitCode`.
bool HandleOneMessage(HWND mainWindow, MSG& message, int& quitCode) {
    if (message.message == WM_QUIT) {
        quitCode = static_cast<int>(message.wParam);
        return false;
    }
    if (!IsDialogMessageW(mainWindow, &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

// Handles the window's messages until the thread has ended, showing the share done on the
// way. A WM_QUIT met meanwhile asks the work to stop and is posted again afterwards, for the
// program's own loop.
void PumpUntilEnded(HWND mainWindow, const WorkThread& thread, WorkProgress& progress,
                    ProgressPane& pane) {
    const HANDLE handle = thread.Handle();
    ULONGLONG nextRefresh = GetTickCount64();
    bool quit = false;
    int quitCode = 0;
    while (!quit) {
        const ULONGLONG now = GetTickCount64();
        if (now >= nextRefresh) {
            pane.Show(progress.Percent());
            nextRefresh = now + kRefreshMs;
        }
        const DWORD wait = MsgWaitForMultipleObjectsEx(
            1, &handle, static_cast<DWORD>(nextRefresh - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (wait == WAIT_OBJECT_0 || wait == WAIT_FAILED)
            break;
        MSG message{};
        while (!quit && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            quit = !HandleOneMessage(mainWindow, message, quitCode);
        if (thread.Ended())
            break;
    }
    if (quit)
        progress.RequestStop();
    thread.WaitForEnd();
    if (quit)
        PostQuitMessage(quitCode);
}

} // namespace

void WorkProgress::Advance(std::uint64_t bytes) {
    const SrwExclusiveLock guard = LockExclusive(lock_);
    done_ += bytes;
}

bool WorkProgress::StopRequested() const {
    return stopRequested_.load(std::memory_order_acquire);
}

void WorkProgress::RequestStop() {
    stopRequested_.store(true, std::memory_order_release);
}

int WorkProgress::Percent() const {
    const SrwExclusiveLock guard = LockExclusive(lock_);
    if (total_ == 0)
        return 0;
    if (done_ >= total_)
        return 100;
    return static_cast<int>(100.0 * static_cast<double>(done_) / static_cast<double>(total_));
}

bool BackgroundWork::AskToClose() {
    if (running_ == nullptr)
        return false;
    closing_ = true;
    running_->RequestStop();
    return true;
}

void BackgroundWork::FinishBeforeSessionEnds() {
    if (running_ == nullptr)
        return;
    closing_ = true;
    running_->RequestStop();
    if (thread_ != nullptr)
        thread_->WaitForEnd();
}

bool BackgroundWork::RunWork(const WorkDisplay& display, const WorkBody& work) {
    WorkProgress progress(display.totalBytes);
    WorkStart start{work, progress};
    {
        const ButtonsDisabledWhileWorking disabled(window_.window);
        ProgressPane pane(window_.statusBar, display.progressText);
        pane.Show(0);
        running_ = &progress;
        {
            const WorkThread thread(start);
            if (thread.Started()) {
                thread_ = &thread;
                PumpUntilEnded(window_.window, thread, progress, pane);
            } else {
                RunGuarded(start); // no thread to be had: the window waits for the work
            }
            thread_ = nullptr;
        }
        running_ = nullptr;
    }
    if (closing_)
        PostMessageW(window_.window, WM_CLOSE, 0, 0);
    return !start.threw;
}
