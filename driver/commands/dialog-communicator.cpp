#include "commands/dialog-communicator.h"

#include <stdexcept>

#include "commands/command-executor.h"

namespace driver {

namespace {
constexpr std::uint8_t kEnq = 5;
constexpr std::uint8_t kNak = 21;
}  // namespace

DialogCommunicator::DialogCommunicator(std::list<DialogStep> steps, std::unique_ptr<ICommunicator> inner)
    : steps_(std::move(steps)), inner_(std::move(inner)) {
    if (!inner_) {
        throw std::logic_error(
            "Norvell::Balvex::Driver::dialog-communicator, "
            "DialogCommunicator, no inner communicator.");
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
        // Silence or a NAK: wake the scale once more; that exchange clears the
        // step's error.
        if (reply.empty() || reply.front() == kNak) {
            Exchange(context, ByteVector{kEnq}, err, AcceptAnyResponseValidator);
        }
        if (err != ErrorCase::Correct) return;
    }
}

}  // namespace driver
