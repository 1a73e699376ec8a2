#include "cli/progress_line.h"

#include <cstdio>

namespace {

constexpr auto kBatchDelay = std::chrono::seconds(2);
constexpr auto kRedrawInterval = std::chrono::milliseconds(200);

std::string DurationText(double seconds) {
    const auto whole = static_cast<unsigned long long>(seconds + 0.5);
    if (whole < 60)
        return std::to_string(whole) + " s";
    char text[32];
    std::snprintf(text, sizeof text, "%llu:%02llu", whole / 60, whole % 60);
    return text;
}

} // namespace

std::string ByteCountText(std::uint64_t bytes) {
    static const char* const units[] = {"KiB", "MiB", "GiB", "TiB"};
    if (bytes < 1024)
        return std::to_string(bytes) + " bytes";
    double value = static_cast<double>(bytes) / 1024;
    std::size_t unit = 0;
    while (value >= 1024 && unit + 1 < sizeof units / sizeof units[0]) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
    return text;
}

ProgressLine::ProgressLine(bool enabled, std::uint64_t totalBytes)
    : enabled_(enabled), total_(totalBytes) {}

void ProgressLine::Advance(std::uint64_t bytes) {
    done_ += bytes;
    if (!enabled_)
        return;
    const Clock::time_point now = Clock::now();
    if (!fileIsLarge_ && now - start_ < kBatchDelay)
        return;
    if (shownLength_ != 0 && now - lastShown_ < kRedrawInterval)
        return;
    Show(now);
}

void ProgressLine::Show(Clock::time_point now) {
    lastShown_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = seconds > 0 ? static_cast<double>(done_) / seconds : 0;
    // Without a total (standard input, whose size is known only at its end), what is done.
    std::string text = ByteCountText(done_);
    if (total_ > 0)
        text += " of " + ByteCountText(total_) + " (" + std::to_string(done_ * 100 / total_) + "%)";
    if (rate > 0) {
        text += ", " + ByteCountText(static_cast<std::uint64_t>(rate)) + "/s";
        if (total_ > done_)
            text += ", " + DurationText(static_cast<double>(total_ - done_) / rate) + " left";
    }
    const std::size_t length = text.size();
    if (length < shownLength_)
        text.append(shownLength_ - length, ' '); // cover what the longer line left
    std::fprintf(stderr, "\r%s", text.c_str());
    std::fflush(stderr);
    shownLength_ = length;
}

void ProgressLine::Hide() {
    if (shownLength_ == 0)
        return;
    std::fprintf(stderr, "\r%s\r", std::string(shownLength_, ' ').c_str());
    std::fflush(stderr);
    shownLength_ = 0;
}
