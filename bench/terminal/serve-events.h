#pragma once

// Serving the GUI thread from a benchmark that drives the real window.
#include <QApplication>
#include <QThread>
#include <chrono>

namespace terminal_bench {

// Serves the GUI thread until the condition holds; false at the deadline.
template <typename Condition, typename Duration>
bool ServeUntil(Condition condition, Duration timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QApplication::processEvents();
        QThread::usleep(500);
    }
    return true;
}

}  // namespace terminal_bench
