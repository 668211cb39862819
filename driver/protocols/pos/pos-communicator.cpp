#include "protocols/pos/pos-communicator.h"

#include <algorithm>

#include "commands/wire-bytes.h"
#include "log/logging.h"

namespace driver {

namespace {
constexpr std::string_view kUnit = "pos-communicator";

bool IsAckOrNak(std::uint8_t byte) {
    return byte == wire::kAck || byte == wire::kNak;
}
}  // namespace

bool POSStartResponseValidator(const ByteVector& reply) {
    LogTrace(kUnit, "POSCommunicator::POSStartResponseValidator()");
    return std::any_of(reply.begin(), reply.end(), IsAckOrNak);
}

ByteVector POSCommunicator::Communicate(CommandContext& context, const ByteVector& request, ErrorCase& err,
                                        ResponseValidator validator) {
    LogTrace(kUnit, "POSCommunicator::Communicate(boost)");
    const ByteVector answer = Exchange(context, ByteVector{wire::kEnq}, err, POSStartResponseValidator);
    // A NAK still lets the frame go: the scale answers it anyway.
    if (answer.size() != 1 || !IsAckOrNak(answer.front())) {
        LogError(kUnit, "POSCommunicator::Communicate(boost), the enquiry got [@] bytes instead of ACK or NAK",
                 answer.size());
        err = ErrorCase::ConnectionError;
        return {};
    }
    return Exchange(context, request, err, std::move(validator));
}

}  // namespace driver
