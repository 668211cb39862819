#include "one-way-response-communicator.h"

#include <algorithm>

#include "byte-list-log.h"
#include "device.h"
#include "driver-error.h"
#include "logging.h"

namespace driver {

namespace {

constexpr std::string_view kUnit = "one-way-response-communicator";
constexpr std::uint8_t kSoh = 1;
constexpr std::uint8_t kEot = 4;

void TraceFrame(const ByteVector& frame) {
    if (TraceEnabled()) LogTrace(kUnit, ByteListText("Response: ", frame));
}

}  // namespace

ByteVector OneWayResponseCommunicator::Communicate(Device& device, const ByteVector&, ErrorCase& err,
                                                   ResponseValidator validator) {
    LogTrace(kUnit, "OneWayResponseCommunicator::Communicate(boost)");

    const std::shared_ptr<Connection> connection = device.GetConnection();
    if (!connection || !connection->IsOpen()) {
        err = ErrorCase::ConnectionError;
        throw DriverError(ErrorCase::ConnectionError,
                          "Norvell::Balvex::Driver::one-way-response-communicator, "
                          ", OneWayResponseCommunicator::Communicate, port is closed.");
    }
    connection->SetState(TransferState::Idle);
    // A streaming scale keeps sending while nobody reads: start from its next frame, not its oldest.
    connection->DiscardInput();

    ByteVector reply;
    connection->ReadData(reply, validator, err);
    if (!validator(reply)) {
        err = ErrorCase::BoostTimeOut;
        return {};
    }
    if (err != ErrorCase::Correct) return {};

    const auto soh = std::find(reply.begin(), reply.end(), kSoh);
    const auto eot = std::find(soh, reply.end(), kEot);
    if (eot == reply.end()) {
        // Only a validator that ignores framing lets this through.
        err = ErrorCase::DeviceResponseIncorrectFormat;
        LogError(kUnit, "OneWayResponseCommunicator::Communicate(), reply holds no SOH..EOT frame");
        return {};
    }
    ByteVector frame(soh, eot + 1);
    TraceFrame(frame);
    return frame;
}

}  // namespace driver
