#pragma once

#include "commands/default-communicator.h"

namespace driver {

// Reads the OKA weight channel with two exchanges (02 999999, then 06) and hands back 13 bytes:
// six weight digits, the flag byte, six tare digits, digits most significant first.
// The executor's request and validator are not used.
class OKACommunicator : public DefaultCommunicator {
public:
    ByteVector Communicate(CommandContext& context, const ByteVector& request, ErrorCase& err,
                           ResponseValidator validator) override;

private:
    ByteVector ReadWeightAndFlag(CommandContext& context, ErrorCase& err);
    ByteVector ReadWeightPlusTare(CommandContext& context, ErrorCase& err);
};

}  // namespace driver
