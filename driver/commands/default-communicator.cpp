#include "commands/default-communicator.h"

#include "commands/command-context.h"
#include "driver-error.h"
#include "log/logging.h"
#include "transport/connection.h"

namespace driver {

ByteVector DefaultCommunicator::Communicate(CommandContext& context, const ByteVector& request, ErrorCase& err,
                                            ResponseValidator validator) {
    LogTrace("default-communicator", "DefaultCommunicator::Communicate(boost)");
    err = ErrorCase::Correct;

    const std::shared_ptr<Connection> connection = context.GetConnection();
    if (!connection || !connection->IsOpen()) {
        err = ErrorCase::ConnectionError;
        throw DriverError(ErrorCase::ConnectionError,
                          "Norvell::Balvex::Driver::default-communicator, DefaultCommunicator::Communicate, "
                          "port is closed.");
    }

    connection->WriteData(request, err);
    if (err != ErrorCase::Correct) return {};

    ByteVector reply;
    connection->ReadData(reply, validator, err);
    // The connection does not report its deadline; an incomplete reply is the sign of it.
    if (!validator(reply)) err = ErrorCase::BoostTimeOut;
    return reply;
}

}  // namespace driver
