#pragma once

#include <chrono>

namespace scalectl {

// Ctrl-C (or SIGTERM) asks a running loop to stop so the port is closed on the way out;
// a second signal ends the process at once.
class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    static bool Requested();
};

// Sleeps for the duration or until an interrupt is requested.
void SleepUnlessInterrupted(std::chrono::milliseconds duration);

}  // namespace scalectl
