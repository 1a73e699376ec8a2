// The progress line on standard error: bytes done, rate and time left, for a file over
// 64 MiB or a batch that has run for more than 2 s; only when standard error is a terminal.
#ifndef VEILQUILL_PROGRESS_LINE_H
#define VEILQUILL_PROGRESS_LINE_H

#include <chrono>
#include <cstdint>
#include <string>

#include "core/job_result.h"

class ProgressLine : public JobProgress {
  public:
    // `totalBytes`: what the whole batch will go over.
    ProgressLine(bool enabled, std::uint64_t totalBytes);
    ~ProgressLine() override { Hide(); }

    void BeginFile(std::uint64_t size) { fileIsLarge_ = size > kLargeFile; }
    void Advance(std::uint64_t bytes) override;
    // Takes the line off the screen, so that a message can be printed in its place; it comes
    // back with the next advance.
    void Hide();

  private:
    using Clock = std::chrono::steady_clock;
    static constexpr std::uint64_t kLargeFile = 64ull * 1024 * 1024;

    void Show(Clock::time_point now);

    bool enabled_;
    std::uint64_t total_;
    std::uint64_t done_ = 0;
    bool fileIsLarge_ = false;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastShown_{};
    std::size_t shownLength_ = 0;
};

// "1.5 GiB", "12.0 MiB", "900 bytes".
std::string ByteCountText(std::uint64_t bytes);

#endif
