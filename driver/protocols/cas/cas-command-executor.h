#pragma once

#include "commands/byte-man-executor.h"

namespace driver {

// The polled CAS commands: the weight frame after an enquiry, and the fire-and-forget zero and tare.
class CASCommandExecutor : public ByteManExecutor {
public:
    using ByteManExecutor::ByteManExecutor;

    // True when frame is exactly one data frame with a matching BCC.
    virtual bool CheckResponseFrame(const ByteVector& frame);
    virtual ResultMap ParseCASFrame(const ByteVector& frame, ErrorCase& err);

protected:
    ByteVector MakeRequest(CommandContext& context, ErrorCase& err) override;
    ResultMap ParseResponse(CommandContext& context, const ByteVector& reply, ErrorCase& err) override;
};

}  // namespace driver
