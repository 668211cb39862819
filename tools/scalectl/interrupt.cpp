#include "interrupt.h"

#include <csignal>
#include <ctime>

namespace scalectl {

namespace {

volatile std::sig_atomic_t g_requested = 0;

extern "C" void OnSignal(int) {
    g_requested = 1;
}

struct sigaction g_oldInt {};
struct sigaction g_oldTerm {};

}  // namespace

InterruptGuard::InterruptGuard() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a sleep returns early. SA_RESETHAND: a second Ctrl-C is not caught.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, &g_oldInt);
    sigaction(SIGTERM, &action, &g_oldTerm);
}

InterruptGuard::~InterruptGuard() {
    sigaction(SIGINT, &g_oldInt, nullptr);
    sigaction(SIGTERM, &g_oldTerm, nullptr);
}

bool InterruptGuard::Requested() {
    return g_requested != 0;
}

void SleepUnlessInterrupted(std::chrono::milliseconds duration) {
    const auto deadline = std::chrono::steady_clock::now() + duration;
    while (!InterruptGuard::Requested()) {
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) return;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        timespec pause{static_cast<std::time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
        nanosleep(&pause, nullptr);  // EINTR ends the pause early; the loop checks why
    }
}

}  // namespace scalectl
