// Long file work without a frozen window: one piece of work runs on a thread of its own while
// the window's thread goes on handling messages (the window paints, answers and shows the share
// done), and the caller gets the work's result back as if it had run in its place. Meanwhile
// the main window's buttons are disabled, all but "Exit", "About" and "Help", and come back
// exactly as they were before the caller goes on. Closing the window asks the work to stop;
// the window closes once the work has ended.
#ifndef VEILQUILL_BACKGROUND_WORK_H
#define VEILQUILL_BACKGROUND_WORK_H

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <utility>

#include "core/job_result.h"
#include "ui/window_parts.h"

// The one object the work's thread and the window's thread share: the worker adds the bytes
// it has gone over and looks for a stop request, the window reads the share done and asks for
// the stop.
class WorkProgress final : public JobProgress {
  public:
    explicit WorkProgress(std::uint64_t totalBytes) : total_(totalBytes) {}
    WorkProgress(const WorkProgress&) = delete;
    WorkProgress& operator=(const WorkProgress&) = delete;

    // The work's thread.
    void Advance(std::uint64_t bytes) override;
    bool StopRequested() const override;

    // The window's thread.
    void RequestStop();
    // Whole percent of the total gone over, 0 to 100 (0 for an unknown total).
    int Percent() const;

  private:
    mutable SRWLOCK lock_ = SRWLOCK_INIT;
    const std::uint64_t total_;
    std::uint64_t done_ = 0;
    std::atomic<bool> stopRequested_{false};
};

// What the window shows while a work runs. With a progress text, pane 0 shows it followed by
// the share done ("    Encrypting file... 42%"), and afterwards what it showed before; without
// one, pane 0 is left alone.
struct WorkDisplay {
    const char* progressText = nullptr;
    std::uint64_t totalBytes = 0;
};

// The thread a work runs on (background_work.cpp).
class WorkThread;

// The file work of one main window; lives as long as the window and is used on its thread.
class BackgroundWork {
  public:
    explicit BackgroundWork(const WindowParts& parts) : window_(parts) {}
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    // Runs `work(JobProgress&)` and returns its result once it has ended, or `failed` when it
    // threw. Without a thread to run on, the work runs on the caller's thread.
    // Nothing here allocates, so nothing is thrown on the caller's side either.
    template <typename Result, typename Work>
    Result Run(const WorkDisplay& display, Work&& work, Result failed) {
        std::optional<Result> result;
        auto body = [&](JobProgress& progress) { result.emplace(work(progress)); };
        const bool ran = RunWork(display, WorkBody{&CallBody<decltype(body)>, &body});
        return ran && result ? std::move(*result) : std::move(failed);
    }

    // Whether a work is running.
    bool Busy() const { return running_ != nullptr; }

    // The user closes the window. With a work running, the work is asked to stop, true is
    // returned, and WM_CLOSE comes to the window again once the work has ended; with none,
    // false: the window may close at once.
    bool AskToClose();
    // Whether the window is closing: the command that ran the work shows nothing more.
    bool Closing() const { return closing_; }

    // The session ends: a running work is asked to stop and waited for, without handling
    // messages, so that nothing is left half done when the process goes.
    void FinishBeforeSessionEnds();

    // A work as the thread takes it: a function and what it works on.
    struct WorkBody {
        void (*call)(void* context, JobProgress& progress);
        void* context;
    };

  private:
    template <typename Body> static void CallBody(void* body, JobProgress& progress) {
        (*static_cast<Body*>(body))(progress);
    }
    // False when the work threw.
    bool RunWork(const WorkDisplay& display, const WorkBody& work);

    const WindowParts& window_;
    WorkProgress* running_ = nullptr;    // the running work's progress, while one runs
    const WorkThread* thread_ = nullptr; // its thread, while it has one (owned by RunWork)
    bool closing_ = false;
};

#endif
