#include "protocols/pos/pos-wait-until-scale-stabilizes-communicator.h"

#include "device.h"
#include "log/logging.h"

namespace driver {

namespace {

constexpr int kMaxReadings = 10;

bool IsStable(const std::string& weightState) {
    return (!weightState.empty() && weightState.front() == '1') || weightState == "0x00";
}

}  // namespace

ByteVector POSWaitUntilScaleStabilizesCommunicator::Communicate(Device& device, const ByteVector& request,
                                                                ErrorCase& err, ResponseValidator validator) {
    LogTrace("pos-wait-until-scale-stabilizes-communicator",
             "POSWaitUntilScaleStabilizesCommunicator::Communicate(device)");

    bool stable = false;
    for (int reading = 0; reading < kMaxReadings && !stable; ++reading) {
        device.ExecuteCommand(Command::StatusOfWeightChannelAuto, err);
        if (err != ErrorCase::Correct) return {};
        const std::string state = device.GetParam(ParamType::WeightState, err);
        if (err != ErrorCase::Correct) return {};
        stable = IsStable(state);
    }
    if (!stable) {
        err = ErrorCase::DeviceIsNotStabilized;
        return {};
    }
    return Exchange(device, request, err, std::move(validator));
}

}  // namespace driver
