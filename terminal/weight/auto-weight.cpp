#include "auto-weight.h"

#include <QEventLoop>
#include <QMutexLocker>
#include <QTimer>

#include "line-worker.h"
#include "permanent.h"

namespace weighdesk {

using Norvell::Balvex::CppWrapper::Command;
using Norvell::Balvex::CppWrapper::Driver;
using Norvell::Balvex::CppWrapper::ErrorCase;
using Norvell::Balvex::CppWrapper::LogicDeviceParamType;
using Norvell::Balvex::CppWrapper::ParamType;

namespace {

constexpr int kPollPauseMs = 50;

// The reading as the page shows it: the tare of a protocol without one reads 0.
WeightChannelData channelData(const driver::Reading& reading) {
    return {.unit = static_cast<int>(reading.unit),
            .weight = reading.weight,
            .tare = reading.tare.value_or(0.0),
            .zero = reading.zero,
            .unstable = !reading.stable,
            .overload = reading.overload};
}

// The status command and the reads of its outputs as one unit, so a tare or zero from the GUI
// thread cannot replace the outputs in between. The third text is the tare (POS) or the unit (CAS).
ErrorCase readStatus(bool posFamily, driver::ReadingTexts& texts) {
    Driver& driver = Driver::getInstanceLib();
    auto unit = driver.lockUnit();
    ErrorCase error = ErrorCase::Correct;
    driver.exeCommand(Command::StatusOfWeightChannel, error);
    if (error != ErrorCase::Correct) return error;
    texts.weight = driver.gettingParam(ParamType::Weight, error);
    if (error != ErrorCase::Correct) return error;
    texts.state = driver.gettingParam(ParamType::WeightState, error);
    if (error != ErrorCase::Correct) return error;
    (posFamily ? texts.tare : texts.unit) =
        driver.gettingParam(posFamily ? ParamType::Tare : ParamType::UnitOfMeasure, error);
    return error;
}

void pause(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

void AutoWeight::requestStart() {
    {
        QMutexLocker lock(&mutex_);
        stop_ = false;
        running_ = true;
        ++generation_;
    }
    emit work_requested();
}

void AutoWeight::requestStop() {
    QMutexLocker lock(&mutex_);
    if (running_) stop_ = true;
}

bool AutoWeight::isRunning() const {
    QMutexLocker lock(&mutex_);
    return running_;
}

void AutoWeight::do_work() {
    // A start queued while a loop runs arrives inside its pause: that loop has seen the start.
    if (looping_) return;
    looping_ = true;
    pollingLoop();
    looping_ = false;
    emit finished();
}

// Each start (re)reads the protocol; a stop or a protocol not polled ends the loop, deciding under
// the lock so that a start arriving at that moment is never lost.
void AutoWeight::pollingLoop() {
    polledGeneration_.reset();
    while (true) {
        unsigned generation = 0;
        {
            QMutexLocker lock(&mutex_);
            if (stop_) {
                running_ = false;
                break;
            }
            generation = generation_;
        }
        if (polledGeneration_ != generation) {
            const bool polled = prepare();
            QMutexLocker lock(&mutex_);
            if (!polled) {
                if (generation == generation_) {
                    running_ = false;
                    break;
                }
                continue;
            }
            polledGeneration_ = generation;
        }
        pause(kPollPauseMs);
        pollOnce();
    }
    clearFlags();
}

bool AutoWeight::prepare() {
    ErrorCase error = ErrorCase::Correct;
    const std::string name = Driver::getInstanceLib().getConnectionParam(LogicDeviceParamType::Protocol, error);
    const std::optional<driver::Protocol> protocol = driver::ProtocolFromName(name);
    family_ = protocol ? driver::FamilyOf(*protocol) : driver::ProtocolFamily::None;
    if (error != ErrorCase::Correct ||
        (family_ != driver::ProtocolFamily::Pos && family_ != driver::ProtocolFamily::Cas))
        return false;
    maxWeightKg_.reset();
    if (!driver::IsPro(*protocol) || !readOverloadLimit()) reading_.overload = false;
    return true;
}

// Overload from the maximum weight is trusted only when both settings reads succeed.
bool AutoWeight::readOverloadLimit() {
    Driver& driver = Driver::getInstanceLib();
    ErrorCase error = ErrorCase::Correct;
    const std::string maxWeight = driver.exeGettingCommand(Command::GetMaxWeight, ParamType::MaxWeight, error);
    if (error != ErrorCase::Correct) return false;
    driver.exeGettingCommand(Command::GetRangeOfKeyToZero, ParamType::RangeOfKeyToZero, error);
    bool numeric = false;
    const double limit = QString::fromStdString(maxWeight).trimmed().toDouble(&numeric);
    if (error != ErrorCase::Correct || !numeric) return false;
    maxWeightKg_ = limit;
    return true;
}

void AutoWeight::pollOnce() {
    driver::ReadingTexts texts;
    dataGeneration_ = polledGeneration_;
    error_ = readStatus(family_ == driver::ProtocolFamily::Pos, texts);
    if (error_ != ErrorCase::Correct) {
        if (isLostConnection(error_)) error_ = ErrorCase::UnableToOpenSerialPort;
        return;
    }
    driver::Decode(family_, texts, maxWeightKg_, reading_);
    data_ = channelData(reading_);
    data_.takenAt = std::chrono::steady_clock::now();
}

// What stays after the loop is no reading any more.
void AutoWeight::clearFlags() {
    reading_.zero = false;
    reading_.stable = true;
    reading_.overload = false;
    data_ = channelData(reading_);
}

// Only what this start's exchanges brought: a failure from before a restart (the lost line that led
// to it) must not reach the page again.
void AutoWeight::send_data() {
    {
        QMutexLocker lock(&mutex_);
        if (dataGeneration_ != generation_) return;
    }
    emit ready_data(data_, error_);
}

}  // namespace weighdesk
