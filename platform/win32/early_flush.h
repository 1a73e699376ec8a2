// New content is flushed to disk while it is still being written. Where the system leaves
// written data in memory until it is asked for it (Wine on Linux does), the one flush before
// the swap would otherwise wait for the whole file; flushing every few MiB on a thread of its
// own lets the disk take the content while the rest is still being read and transformed.
#ifndef VEILQUILL_WIN32_EARLY_FLUSH_H
#define VEILQUILL_WIN32_EARLY_FLUSH_H

#include <windows.h>

#include <cstdint>

#include "platform/win32_handles.h"

// Shared by the thread that writes the file, which reports how much is written, and the
// flushing thread; everything they share is guarded by one lock. The file's handle is
// borrowed: Stop (or the destructor) must come before it is closed. A failed early flush is
// not reported: the flush before the swap, which waits for everything, is the one that counts.
class EarlyFlush {
  public:
    // How much more must have been written before the next flush is asked for: measured
    // under Wine on a 256 MiB save, 16 MiB took the most off (8 MiB and 32 MiB less).
    static constexpr std::uint64_t kStep = 16u * 1024 * 1024;

    explicit EarlyFlush(HANDLE file) : file_(file) {}
    ~EarlyFlush() { Stop(); }
    EarlyFlush(const EarlyFlush&) = delete;
    EarlyFlush& operator=(const EarlyFlush&) = delete;

    // `total` bytes of the file are written; starts a flush once another step has been
    // passed (the thread starts with the first one, so a small file never has one).
    void Written(std::uint64_t total);
    // Waits for a flush in progress and ends the thread.
    void Stop();

  private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    void Run();

    HANDLE file_;
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE wake_ = CONDITION_VARIABLE_INIT;
    std::uint64_t asked_ = 0; // the size at the last flush asked for
    bool pending_ = false;    // a flush is asked for and has not started
    bool stopping_ = false;
    UniqueHandle thread_;
};

#endif
