#pragma once

// The weight worker: lives on the weight thread, polls the scale through the facade and keeps the
// latest reading, which it hands out when the GUI's polling timer asks (send_data → ready_data).
#include <QMutex>
#include <QObject>
#include <optional>
#include <string>

#include "cpp-wrapper-defines.h"
#include "weight-channel-data.h"

class AutoWeight : public QObject {
    Q_OBJECT

public:
    AutoWeight() = default;

    // GUI thread, before starting: clears the stop flag, sets the running flag, emits work_requested().
    void requestStart();
    // GUI thread: asks a running loop to end after its current exchange.
    void requestStop();
    bool isRunning() const;

signals:
    void work_requested();
    void finished();
    void ready_data(WeightChannelData data, Norvell::Balvex::CppWrapper::ErrorCase error);

public slots:
    void do_work();
    void send_data();

private:
    bool readOverloadLimit();
    void pollingLoop();
    void pollOnce();
    bool stopRequested() const;
    void clearFlags();

    mutable QMutex mutex_;  // guards stop_ and running_
    bool stop_ = false;
    bool running_ = false;

    WeightChannelData data_;
    Norvell::Balvex::CppWrapper::ErrorCase error_ = Norvell::Balvex::CppWrapper::ErrorCase::Correct;
    bool posFamily_ = false;
    std::optional<double> maxWeightKg_;  // set while overload detection is on
};
