#include "protocols/auto/get-protocol-version-executor.h"

#include "log/logging.h"

namespace driver {

ResultMap GetProtocolVersionExecutor::ParseResponse(CommandContext&, const ByteVector& reply, ErrorCase& err) {
    if (outputTypes().empty()) {
        err = ErrorCase::DeviceUnexpectedResponse;
        LogError("get-protocol-version-executor", "GetProtocolVersionExecutor::ParseResponse(), no output type");
        return {};
    }
    return ParseByTemplate(responseTemplate(), ToText(reply));
}

}  // namespace driver
