#pragma once

#include "commands/communicator.h"

namespace driver {

// Read only, for a scale that streams its frames unasked; hands back one SOH..EOT frame.
class OneWayResponseCommunicator : public ICommunicator {
public:
    ByteVector Communicate(CommandContext& context, const ByteVector& request, ErrorCase& err,
                           ResponseValidator validator) override;
};

}  // namespace driver
