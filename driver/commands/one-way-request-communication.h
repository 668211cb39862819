#pragma once

#include "commands/communicator.h"

namespace driver {

// Write only: the scale does not answer the request, so nothing is read.
class OneWayRequestCommunication : public ICommunicator {
public:
    ByteVector Communicate(CommandContext& context, const ByteVector& request, ErrorCase& err,
                           ResponseValidator validator) override;
};

}  // namespace driver
