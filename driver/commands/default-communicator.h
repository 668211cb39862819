#pragma once

#include "commands/communicator.h"

namespace driver {

// One request, one reply.
class DefaultCommunicator : public ICommunicator {
public:
    ByteVector Communicate(CommandContext& context, const ByteVector& request, ErrorCase& err,
                           ResponseValidator validator) override;

protected:
    // The plain exchange, for derived communicators that make several of them.
    ByteVector Exchange(CommandContext& context, const ByteVector& request, ErrorCase& err,
                        ResponseValidator validator) {
        return DefaultCommunicator::Communicate(context, request, err, std::move(validator));
    }
};

}  // namespace driver
