#include "platform/win32/early_flush.h"

void EarlyFlush::Written(std::uint64_t total) {
    {
        const SrwExclusiveLock guard = LockExclusive(lock_);
        if (stopping_ || total - asked_ < kStep)
            return;
        asked_ = total;
        pending_ = true;
        // Made under the lock, so that none is made once Stop has begun. Without a thread
        // the flush before the swap does it all.
        if (!thread_.valid())
            thread_.reset(CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
    }
    WakeConditionVariable(&wake_);
}

void EarlyFlush::Stop() {
    {
        const SrwExclusiveLock guard = LockExclusive(lock_);
        stopping_ = true;
    }
    WakeAllConditionVariable(&wake_);
    if (thread_.valid())
        WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
}

DWORD WINAPI EarlyFlush::ThreadMain(LPVOID self) {
    static_cast<EarlyFlush*>(self)->Run();
    return 0;
}

void EarlyFlush::Run() {
    for (;;) {
        {
            SrwExclusiveLock guard = LockExclusive(lock_);
            while (!pending_ && !stopping_)
                SleepConditionVariableSRW(&wake_, &lock_, INFINITE, 0);
            if (stopping_)
                return;
            pending_ = false;
        }
        FlushFileBuffers(file_);
    }
}
