#pragma once

#include "commands/default-communicator.h"

namespace driver {

// Sends its request only once the scale reports a stable weight.
class POSWaitUntilScaleStabilizesCommunicator : public DefaultCommunicator {
public:
    ByteVector Communicate(Device& device, const ByteVector& request, ErrorCase& err,
                           ResponseValidator validator) override;
};

}  // namespace driver
