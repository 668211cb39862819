#include "protocols/auto/get-protocol-version-auto-executable.h"

#include "defines.h"
#include "device.h"
#include "log/logging.h"

namespace driver {

namespace {

// The plain name, or its "ProV1" variant when the scale also answers the native serial-number read.
std::string NameByProVariant(Device& device, ErrorCase& err, const char* plain, const char* pro) {
    device.ExecuteCommand(Command::GetSerialNumber, err);
    if (err == ErrorCase::Correct) return pro;
    err = ErrorCase::Correct;
    return plain;
}

}  // namespace

ResultMap GetProtocolVersionAutoExecutor::ExecuteCommand(Device& device, ErrorCase& err) {
    const std::string& name = ToString(command_);
    LogTrace("get-protocol-version-auto-executable",
             "GetProtocolVersionAutoExecutor::ExecuteCommand(command: @, code [@])", name,
             static_cast<std::int32_t>(command_));
    if (err != ErrorCase::Correct) return {};

    device.ExecuteCommand(Command::CASStatusOfWeightChannel, err);
    if (err == ErrorCase::Correct) {
        return {{ParamType::ProtocolVersion, NameByProVariant(device, err, "CAS-K", "CAS-K ProV1")}};
    }

    err = ErrorCase::Correct;
    device.ExecuteCommand(Command::POSStatusOfWeightChannel, err);
    if (err != ErrorCase::Correct) return {};
    return {{ParamType::ProtocolVersion, NameByProVariant(device, err, "POS2K", "POS2KProV1")}};
}

}  // namespace driver
