#include "commands/one-way-response-communicator.h"

#include "commands/command-context.h"
#include "driver-error.h"
#include "log/byte-list-log.h"
#include "log/logging.h"
#include "protocols/cas/cas-frame.h"
#include "transport/connection.h"

namespace driver {

namespace {

constexpr std::string_view kUnit = "one-way-response-communicator";
constexpr std::size_t kFrameSize = 15;

void TraceFrame(const ByteVector& frame) {
    if (TraceEnabled()) LogTrace(kUnit, ByteListText("Response: ", frame));
}

}  // namespace

ByteVector OneWayResponseCommunicator::Communicate(CommandContext& context, const ByteVector&, ErrorCase& err,
                                                   ResponseValidator validator) {
    LogTrace(kUnit, "OneWayResponseCommunicator::Communicate(boost)");

    const std::shared_ptr<Connection> connection = context.GetConnection();
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

    // The frame the completeness test found; a read that starts in the tail of the previous frame
    // may hold an SOH (a BCC of 0x01) before it.
    const auto span = FindStreamedCASFrame(reply);
    if (!span || span->end - span->begin != kFrameSize) {
        err = ErrorCase::DeviceResponseIncorrectFormat;
        LogError(kUnit, "OneWayResponseCommunicator::Communicate(), reply holds no whole SOH..EOT frame");
        return {};
    }
    ByteVector frame = CutCASFrame(reply, *span);
    TraceFrame(frame);
    return frame;
}

}  // namespace driver
