#pragma once

#include "commands/default-communicator.h"

namespace driver {

// Balvex service protocol exchange. A model request also fetches the maximum, division and protocol lines,
// so the model name can be composed from one reply.
class BvxCommunicator : public DefaultCommunicator {
public:
    ByteVector Communicate(CommandContext& context, const ByteVector& request, ErrorCase& err,
                           ResponseValidator validator) override;
};

}  // namespace driver
