#include "protocols/pos/pos-wait-until-scale-stabilizes-communicator.h"

#include "commands/command-context.h"
#include "log/logging.h"

namespace driver {

namespace {

constexpr int kMaxReadings = 10;

// The state text the reading left: a first "1" is the POS stable bit or the CAS stable mark,
// "0x00" the OKA flag byte of a settled weight.
bool IsStable(const std::string& weightState) {
    return (!weightState.empty() && weightState.front() == '1') || weightState == "0x00";
}

// Reads the weight channel, by whichever retail protocol answers, until it is stable or ten readings
// have passed. Each reading is a whole command of the device, so its values stay for get_param.
bool WaitUntilStable(CommandContext& context, ErrorCase& err) {
    for (int reading = 0; reading < kMaxReadings; ++reading) {
        context.ExecuteCommand(Command::StatusOfWeightChannelAuto, err);
        if (err != ErrorCase::Correct) return false;
        const std::string state = context.GetParam(ParamType::WeightState, err);
        if (err != ErrorCase::Correct) return false;
        if (IsStable(state)) return true;
    }
    err = ErrorCase::DeviceIsNotStabilized;
    return false;
}

}  // namespace

ByteVector POSWaitUntilScaleStabilizesCommunicator::Communicate(CommandContext& context, const ByteVector& request,
                                                                ErrorCase& err, ResponseValidator validator) {
    LogTrace("pos-wait-until-scale-stabilizes-communicator",
             "POSWaitUntilScaleStabilizesCommunicator::Communicate(device)");
    if (!WaitUntilStable(context, err)) return {};
    return Exchange(context, request, err, std::move(validator));
}

}  // namespace driver
