#pragma once

// The weight thread with its AutoWeight worker and the GUI's 50 ms polling timer, created once with
// the window. start() and stop() run on the GUI thread and return at once; readings arrive through
// ready_data, queued.
#include <QObject>
#include <QThread>
#include <QTimer>

#include "auto-weight.h"

namespace weighdesk {

class WeightPolling : public QObject {
    Q_OBJECT

public:
    explicit WeightPolling(QObject* parent = nullptr);
    ~WeightPolling() override;  // stops a running worker and waits for its thread

    // Starts (or restarts) the worker and the timer.
    void start();
    // Stops the timer and asks the worker to end after its current exchange, without waiting for it:
    // the GUI thread never waits on the line. A start right after still polls.
    void stop();
    // True from start() until stop(), or until the worker ended on its own (a protocol it does not poll).
    bool isRunning() const { return timer_.isActive() || worker_->isRunning(); }

signals:
    void ready_data(WeightChannelData data, Norvell::Balvex::CppWrapper::ErrorCase error);

private:
    QThread thread_;
    AutoWeight* worker_;  // lives on the weight thread; deleted after it ends
    QTimer timer_;
};

}  // namespace weighdesk
