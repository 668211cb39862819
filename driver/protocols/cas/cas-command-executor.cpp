#include "protocols/cas/cas-command-executor.h"

#include "log/logging.h"
#include "protocols/cas/cas-frame.h"

namespace driver {

bool CASCommandExecutor::CheckResponseFrame(const ByteVector& frame) {
    return frame.size() == 15 && CASStatusOfWeightChannelResponseValidator(frame);
}

ResultMap CASCommandExecutor::ParseCASFrame(const ByteVector& frame, ErrorCase& err) {
    return driver::ParseCASFrame(frame, err);
}

ByteVector CASCommandExecutor::MakeRequest(CommandContext&, ErrorCase&) {
    return requestTemplate();
}

ResultMap CASCommandExecutor::ParseResponse(CommandContext& context, const ByteVector& reply, ErrorCase& err) {
    if (command() == Command::CASStatusOfWeightChannel) {
        if (err != ErrorCase::Correct) return {};
        // Bytes before the frame would shift every field: read from the frame the validator accepted.
        const auto span = FindPolledCASFrame(reply);
        if (!span) {
            LogError("command-executor", "CASCommandExecutor::ParseResponse(), reply holds no whole frame");
            err = ErrorCase::DeviceResponseIncorrectFormat;
            return {};
        }
        return ParseCASFrame(CutCASFrame(reply, *span), err);
    }
    if (reply.empty()) return {};
    return ByteManExecutor::ParseResponse(context, reply, err);
}

}  // namespace driver
