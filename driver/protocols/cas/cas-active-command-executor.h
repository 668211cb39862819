#pragma once

#include "commands/byte-man-executor.h"

namespace driver {

// The CAS active weight reading: nothing is sent, the scale's streamed frame is decoded.
class CASActiveCommandExecutor : public ByteManExecutor {
public:
    using ByteManExecutor::ByteManExecutor;

    virtual ResultMap ParseCASFrame(const ByteVector& frame, ErrorCase& err);

protected:
    ByteVector MakeRequest(Device& device, ErrorCase& err) override;
    ResultMap ParseResponse(Device& device, const ByteVector& reply, ErrorCase& err) override;
};

}  // namespace driver
