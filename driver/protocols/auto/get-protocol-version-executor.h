#pragma once

#include "protocols/balvex/balvex-command-executor.h"

namespace driver {

// Reads the protocol version; an OK or ERROR line is never taken as a write confirmation here.
class GetProtocolVersionExecutor : public BalvexCommandExecutor {
public:
    using BalvexCommandExecutor::BalvexCommandExecutor;

protected:
    ResultMap ParseResponse(CommandContext& context, const ByteVector& reply, ErrorCase& err) override;
};

}  // namespace driver
