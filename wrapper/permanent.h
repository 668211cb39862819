// The facade through which the terminal reaches the scale: one device of libdriver.so,
// bound at run time, on logic device m_device_id. No method throws; each reports through
// its last argument, Correct meaning success.
//
// Threads: every method takes one process-wide lock, so calls from the GUI thread and the
// weight thread never overlap. A status command and the reads of its outputs must form one
// unit, or another thread's SetTare/SetZero could replace the outputs between them. Hold
// lockUnit() across the whole unit (the lock is recursive, so the methods still work):
//
//     {
//         auto unit = driver.lockUnit();
//         driver.exeCommand(Command::StatusOfWeightChannel, ecase);
//         weight = driver.gettingParam(ParamType::Weight, ecase);
//         state = driver.gettingParam(ParamType::WeightState, ecase);
//     }  // release before pausing, so tare and zero are not kept waiting
//
// When libdriver.so cannot be bound, every method reports UnknownExceptionWasCaught (never
// Correct) and the reason is written once to standard error.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "cpp-wrapper-defines.h"

#define PERMANENT_API __attribute__((visibility("default")))

namespace Norvell::Balvex::CppWrapper {

// The facade's inner working; destroyed through its virtual destructor.
class DriverBackend;

class PERMANENT_API Driver {
public:
    static Driver& getInstanceLib();
    ~Driver();
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;

    void openPort(ErrorCase& ecase);
    void closePort(ErrorCase& ecase);
    bool isPortOpen(ErrorCase& ecase);
    void exeCommand(const Command& command, ErrorCase& ecase);
    std::string exeGettingCommand(const Command& command, const ParamType& ptype, ErrorCase& ecase);
    void exeSettingCommand(const Command& command, const ParamType& ptype, const std::string& value, ErrorCase& ecase);
    std::string gettingParam(const ParamType& ptype, ErrorCase& ecase);
    std::string getConnectionParam(LogicDeviceParamType ptype, ErrorCase& ecase);
    void setConnectionParam(LogicDeviceParamType ptype, const std::string& value, ErrorCase& ecase);

    // Holds off every other thread's facade calls until released (see above).
    [[nodiscard]] std::unique_lock<std::recursive_mutex> lockUnit();

    // These three never touch the scale and take no lock, so a thread that shows a failure never
    // waits behind another thread's exchange.
    // The identifier of a result code ("BoostTimeOut"); empty for a number outside the vocabulary.
    static std::string errorCaseName(ErrorCase ecase);
    // The driver's description of a result code in Russian; empty when the driver has none.
    std::wstring errorCaseDescription(ErrorCase ecase);
    // The driver's log folder; UnknownExceptionWasCaught when the driver is not bound.
    std::string loggingPath(ErrorCase& ecase);

    static constexpr std::uint32_t m_device_id = 1;

private:
    Driver();

    bool m_ready;
    std::unique_ptr<DriverBackend> m_impl;
};

}  // namespace Norvell::Balvex::CppWrapper
