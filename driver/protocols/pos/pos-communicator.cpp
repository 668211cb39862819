#include "protocols/pos/pos-communicator.h"

#include <algorithm>

#include "log/logging.h"

namespace driver {

namespace {
constexpr std::string_view kUnit = "pos-communicator";
constexpr std::uint8_t kEnq = 0x05;
constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kNak = 0x15;

bool IsAckOrNak(std::uint8_t byte) {
    return byte == kAck || byte == kNak;
}
}  // namespace

bool POSStartResponseValidator(const ByteVector& reply) {
    LogTrace(kUnit, "POSCommunicator::POSStartResponseValidator()");
    return std::any_of(reply.begin(), reply.end(), IsAckOrNak);
}

ByteVector POSCommunicator::Communicate(CommandContext& context, const ByteVector& request, ErrorCase& err,
                                        ResponseValidator validator) {
    LogTrace(kUnit, "POSCommunicator::Communicate(boost)");
    const ByteVector answer = Exchange(context, ByteVector{kEnq}, err, POSStartResponseValidator);
    // A NAK still lets the frame go: the scale answers it anyway.
    if (answer.size() != 1 || !IsAckOrNak(answer.front())) {
        LogError(kUnit,
                 "POSCommunicator::Communicate(boost), the enquiry got [@] bytes "
                 "instead of ACK or NAK",
                 answer.size());
        err = ErrorCase::ConnectionError;
        return {};
    }
    return Exchange(context, request, err, std::move(validator));
}

}  // namespace driver
