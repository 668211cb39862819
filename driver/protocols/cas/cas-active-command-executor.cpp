#include "protocols/cas/cas-active-command-executor.h"

#include "protocols/cas/cas-frame.h"

namespace driver {

ResultMap CASActiveCommandExecutor::ParseCASFrame(const ByteVector& frame, ErrorCase& err) {
    return driver::ParseCASFrame(frame, err);
}

ByteVector CASActiveCommandExecutor::MakeRequest(CommandContext&, ErrorCase&) {
    return {};
}

ResultMap CASActiveCommandExecutor::ParseResponse(CommandContext& context, const ByteVector& reply, ErrorCase& err) {
    if (command() == Command::CASActiveStatusOfWeightChannel)
        return err == ErrorCase::Correct ? ParseCASFrame(reply, err) : ResultMap{};
    if (reply.empty()) return {};
    return ByteManExecutor::ParseResponse(context, reply, err);
}

}  // namespace driver
