#include "commands/dialog-communicator.h"

#include <stdexcept>

#include "commands/command-executor.h"
#include "commands/wire-bytes.h"

namespace driver {

DialogCommunicator::DialogCommunicator(std::list<DialogStep> steps, std::unique_ptr<ICommunicator> inner)
    : steps_(std::move(steps)), inner_(std::move(inner)) {
    if (!inner_) {
        throw std::logic_error(
            "Norvell::Balvex::Driver::dialog-communicator, DialogCommunicator, no inner communicator.");
    }
}

ByteVector DialogCommunicator::Communicate(CommandContext& context, const ByteVector& request, ErrorCase& err,
                                           ResponseValidator validator) {
    PrepareForCommunication(context, request, AckNakResponseValidator, err);
    if (err != ErrorCase::Correct) return {};
    return inner_->Communicate(context, request, err, std::move(validator));
}

void DialogCommunicator::PrepareForCommunication(CommandContext& context, const ByteVector&,
                                                 const ResponseValidator& handshakeValidator, ErrorCase& err) {
    for (const DialogStep& step : steps_) {
        const ByteVector reply = Exchange(context, ToBytes(step.send), err, handshakeValidator);
        // Silence or a NAK: wake the scale once more; that exchange clears the step's error.
        if (reply.empty() || reply.front() == wire::kNak) {
            Exchange(context, ByteVector{wire::kEnq}, err, AcceptAnyResponseValidator);
        }
        if (err != ErrorCase::Correct) return;
    }
}

}  // namespace driver
