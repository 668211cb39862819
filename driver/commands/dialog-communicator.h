#pragma once

#include <list>
#include <memory>
#include <string>

#include "commands/default-communicator.h"

namespace driver {

// A handshake step: the bytes to send and the reply expected (kept, not compared).
struct DialogStep {
    std::string send;
    std::string expect;
};

// Runs its handshake steps, then lets the inner communicator carry the main exchange.
class DialogCommunicator : public DefaultCommunicator {
public:
    DialogCommunicator(std::list<DialogStep> steps, std::unique_ptr<ICommunicator> inner);

    ByteVector Communicate(CommandContext& context, const ByteVector& request, ErrorCase& err,
                           ResponseValidator validator) override;

protected:
    virtual void PrepareForCommunication(CommandContext& context, const ByteVector& request,
                                         const ResponseValidator& handshakeValidator, ErrorCase& err);

private:
    std::list<DialogStep> steps_;
    std::unique_ptr<ICommunicator> inner_;
};

}  // namespace driver
