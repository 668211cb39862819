#include "commands/one-way-request-communication.h"

#include "commands/command-context.h"
#include "driver-error.h"
#include "log/logging.h"
#include "transport/connection.h"

namespace driver {

ByteVector OneWayRequestCommunication::Communicate(CommandContext& context, const ByteVector& request, ErrorCase& err,
                                                   ResponseValidator) {
    LogTrace("one-way-request-communication", "OneWayRequestCommunication::Communicate(boost)");

    const std::shared_ptr<Connection> connection = context.GetConnection();
    if (!connection || !connection->IsOpen()) {
        err = ErrorCase::ConnectionError;
        throw DriverError(ErrorCase::ConnectionError,
                          "Norvell::Balvex::Driver::one-way-request-communication, "
                          "OneWayRequestCommunication::Communicate, port is closed.");
    }
    connection->WriteData(request, err);
    return {};
}

}  // namespace driver
