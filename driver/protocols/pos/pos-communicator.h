#pragma once

#include "commands/default-communicator.h"

namespace driver {

// True once the answer to the enquiry holds an ACK or a NAK.
bool POSStartResponseValidator(const ByteVector& reply);

// ENQ, a one-byte ACK or NAK, then the command frame and its answer.
class POSCommunicator : public DefaultCommunicator {
public:
    ByteVector Communicate(CommandContext& context, const ByteVector& request, ErrorCase& err,
                           ResponseValidator validator) override;
};

}  // namespace driver
