#include "cas-command-executor.h"

#include "cas-frame.h"

namespace driver {

bool CASCommandExecutor::CheckResponseFrame(const ByteVector& frame) {
    return frame.size() == 15 && CASStatusOfWeightChannelResponseValidator(frame);
}

ResultMap CASCommandExecutor::ParseCASFrame(const ByteVector& frame, ErrorCase& err) {
    return driver::ParseCASFrame(frame, err);
}

ByteVector CASCommandExecutor::MakeRequest(Device&, ErrorCase&) {
    return requestTemplate();
}

ResultMap CASCommandExecutor::ParseResponse(Device& device, const ByteVector& reply, ErrorCase& err) {
    if (command() == Command::CASStatusOfWeightChannel)
        return err == ErrorCase::Correct ? ParseCASFrame(reply, err) : ResultMap{};
    if (reply.empty()) return {};
    return ByteManExecutor::ParseResponse(device, reply, err);
}

}  // namespace driver
