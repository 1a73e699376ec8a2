// Waiting for what another process does.
#include "driver/ui_driver.h"

namespace vqtest {

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (Clock::now() >= deadline)
            return condition();
        Sleep(kPollMs);
    }
}

void Pause(DWORD ms) {
    Sleep(ms);
}

} // namespace vqtest
