#include "protocols/auto/get-protocol-version-auto-executable.h"

#include "commands/command-context.h"
#include "defines.h"
#include "log/logging.h"

namespace driver {

namespace {

// The plain name, or its "ProV1" variant when the scale also answers the Balvex serial-number read.
std::string NameByProVariant(CommandContext& context, ErrorCase& err, const char* plain, const char* pro) {
    context.ExecuteCommand(Command::GetSerialNumber, err);
    if (err == ErrorCase::Correct) return pro;
    err = ErrorCase::Correct;
    return plain;
}

}  // namespace

ResultMap GetProtocolVersionAutoExecutor::ExecuteCommand(CommandContext& context, ErrorCase& err) {
    const std::string& name = ToString(command_);
    LogTrace("get-protocol-version-auto-executable",
             "GetProtocolVersionAutoExecutor::ExecuteCommand(command: @, code [@])", name,
             static_cast<std::int32_t>(command_));
    if (err != ErrorCase::Correct) return {};

    context.ExecuteCommand(Command::CASStatusOfWeightChannel, err);
    if (err == ErrorCase::Correct) {
        return {{ParamType::ProtocolVersion, NameByProVariant(context, err, "CAS-K", "CAS-K ProV1")}};
    }

    err = ErrorCase::Correct;
    context.ExecuteCommand(Command::POSStatusOfWeightChannel, err);
    if (err != ErrorCase::Correct) return {};
    return {{ParamType::ProtocolVersion, NameByProVariant(context, err, "POS2K", "POS2KProV1")}};
}

}  // namespace driver
