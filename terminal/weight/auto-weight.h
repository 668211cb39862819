#pragma once

// The weight worker: lives on the weight thread, polls the scale through the facade and keeps the
// latest reading, which it hands out when the GUI's polling timer asks (send_data → ready_data).
#include <QMutex>
#include <QObject>
#include <optional>
#include <string>

#include "cpp-wrapper-defines.h"
#include "driver/reading.h"
#include "weight-channel-data.h"

namespace weighdesk {

class AutoWeight : public QObject {
    Q_OBJECT

public:
    AutoWeight() = default;

    // GUI thread: clears the stop flag, sets the running flag, emits work_requested(). A loop that
    // has not yet seen an earlier stop takes the new start up itself; nothing waits.
    void requestStart();
    // GUI thread: asks a running loop to end after its current exchange; returns at once.
    void requestStop();
    bool isRunning() const;

signals:
    void work_requested();
    void finished();
    // A lost line is reported as UnableToOpenSerialPort, whatever code the exchange ended with.
    void ready_data(WeightChannelData data, Norvell::Balvex::CppWrapper::ErrorCase error);

public slots:
    void do_work();
    void send_data();

private:
    // Reads the protocol and the overload limit; false when the protocol is not polled.
    bool prepare();
    bool readOverloadLimit();
    void pollingLoop();
    void pollOnce();
    void clearFlags();

    mutable QMutex mutex_;  // guards stop_, running_ and generation_
    bool stop_ = false;
    bool running_ = false;
    unsigned generation_ = 0;  // counts starts, so a loop notices a start that came meanwhile

    bool looping_ = false;                      // weight thread only: a loop runs (do_work may arrive inside its pause)
    std::optional<unsigned> polledGeneration_;  // weight thread only: the start the loop is prepared for
    std::optional<unsigned> dataGeneration_;    // weight thread only: the start data_ and error_ belong to
    driver::Reading reading_;                   // the scale's reading, kept between exchanges as a display keeps it
    WeightChannelData data_;                    // the same, stamped with the time it was taken
    Norvell::Balvex::CppWrapper::ErrorCase error_ = Norvell::Balvex::CppWrapper::ErrorCase::Correct;
    driver::ProtocolFamily family_ = driver::ProtocolFamily::None;
    std::optional<double> maxWeightKg_;  // set while overload detection is on
};

}  // namespace weighdesk
