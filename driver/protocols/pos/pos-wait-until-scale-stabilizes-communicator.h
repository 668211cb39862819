#pragma once

#include "commands/default-communicator.h"

namespace driver {

// Sends its request (the Balvex calibration parameters) only once the scale reports a stable weight,
// read through the device's own StatusOfWeightChannelAuto, whichever retail protocol answers it.
class POSWaitUntilScaleStabilizesCommunicator : public DefaultCommunicator {
public:
    ByteVector Communicate(CommandContext& context, const ByteVector& request, ErrorCase& err,
                           ResponseValidator validator) override;
};

}  // namespace driver
