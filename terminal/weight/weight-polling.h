#pragma once

// The weight thread with its AutoWeight worker and the GUI's 50 ms polling timer, created once with
// the window. start() and stop() run on the GUI thread; readings arrive through ready_data, queued.
#include <QObject>
#include <QThread>
#include <QTimer>

#include "auto-weight.h"

class WeightPolling : public QObject {
    Q_OBJECT

public:
    explicit WeightPolling(QObject* parent = nullptr);
    ~WeightPolling() override;  // stops a running worker first

    // Starts the worker and the timer; sleeps 100 ms so the first exchange is under way.
    void start();
    // Stops the timer, asks the worker to end, waits for the thread, then serves pending events.
    void stop();
    // True from start() until stop(), or until the worker ended on its own (a protocol it does not poll).
    bool isRunning() const { return timer_.isActive() || thread_.isRunning(); }

signals:
    void ready_data(WeightChannelData data, Norvell::Balvex::CppWrapper::ErrorCase error);

private:
    QThread thread_;
    AutoWeight* worker_;  // deleted on the weight thread's finish
    QTimer timer_;
};
