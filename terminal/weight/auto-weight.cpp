#include "auto-weight.h"

#include <QEventLoop>
#include <QMutexLocker>
#include <QTimer>

#include "line-worker.h"
#include "permanent.h"
#include "weight-decoding.h"

namespace weighdesk {

using Norvell::Balvex::CppWrapper::Command;
using Norvell::Balvex::CppWrapper::Driver;
using Norvell::Balvex::CppWrapper::ErrorCase;
using Norvell::Balvex::CppWrapper::LogicDeviceParamType;
using Norvell::Balvex::CppWrapper::ParamType;

namespace {

constexpr int kPollPauseMs = 50;

// The texts one status command leaves; `third` is the tare (POS) or the unit (CAS).
struct StatusTexts {
    std::string weight;
    std::string state;
    std::string third;
};

// The status command and the reads of its outputs as one unit, so a tare or zero from the GUI
// thread cannot replace the outputs in between.
ErrorCase readStatus(bool posFamily, StatusTexts& texts) {
    Driver& driver = Driver::getInstanceLib();
    auto unit = driver.lockUnit();
    ErrorCase error = ErrorCase::Correct;
    driver.exeCommand(Command::StatusOfWeightChannel, error);
    if (error != ErrorCase::Correct) return error;
    texts.weight = driver.gettingParam(ParamType::Weight, error);
    if (error != ErrorCase::Correct) return error;
    texts.state = driver.gettingParam(ParamType::WeightState, error);
    if (error != ErrorCase::Correct) return error;
    texts.third = driver.gettingParam(posFamily ? ParamType::Tare : ParamType::UnitOfMeasure, error);
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
    std::optional<unsigned> prepared;
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
        if (prepared != generation) {
            const bool polled = prepare();
            QMutexLocker lock(&mutex_);
            if (!polled && generation == generation_) {
                running_ = false;
                break;
            }
            prepared = polled ? std::optional(generation) : std::nullopt;
            if (!polled) continue;
            polledGeneration_ = generation;
        }
        pause(kPollPauseMs);
        pollOnce();
    }
    clearFlags();
}

bool AutoWeight::prepare() {
    ErrorCase error = ErrorCase::Correct;
    const std::string protocol = Driver::getInstanceLib().getConnectionParam(LogicDeviceParamType::Protocol, error);
    const bool polled = protocol.find("POS") != std::string::npos || protocol.find("CAS") != std::string::npos;
    if (error != ErrorCase::Correct || !polled) return false;
    posFamily_ = protocol.find("POS") != std::string::npos;
    maxWeightKg_.reset();
    if (protocol.find("Pro") == std::string::npos || !readOverloadLimit()) data_.overload = false;
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
    StatusTexts texts;
    dataGeneration_ = polledGeneration_;
    error_ = readStatus(posFamily_, texts);
    if (error_ != ErrorCase::Correct) {
        if (weighdesk::isLostConnection(error_)) error_ = ErrorCase::UnableToOpenSerialPort;
        return;
    }
    data_.takenAt = std::chrono::steady_clock::now();
    if (posFamily_) {
        weighdesk::decodePosReading(texts.weight, texts.state, texts.third, maxWeightKg_, data_);
    } else {
        weighdesk::decodeCasReading(texts.weight, texts.state, texts.third, data_);
    }
}

// What stays after the loop is no reading any more.
void AutoWeight::clearFlags() {
    data_.zero = false;
    data_.unstable = false;
    data_.overload = false;
    data_.takenAt = {};
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
