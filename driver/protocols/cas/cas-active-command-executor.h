#pragma once

#include "commands/byte-man-executor.h"

namespace driver {

// The CAS active weight reading: nothing is sent, the scale's streamed frame is decoded.
class CASActiveCommandExecutor : public ByteManExecutor {
public:
    using ByteManExecutor::ByteManExecutor;

    virtual ResultMap ParseCASFrame(const ByteVector& frame, ErrorCase& err);

protected:
    ByteVector MakeRequest(CommandContext& context, ErrorCase& err) override;
    ResultMap ParseResponse(CommandContext& context, const ByteVector& reply, ErrorCase& err) override;
};

}  // namespace driver
