#include "commands/command-executor-by-communicator.h"

#include <stdexcept>
#include <string>

#include "defines.h"
#include "log/logging.h"

namespace driver {

namespace {
constexpr std::string_view kUnit = "command-executor-by-communicator";
}

ResultMap CommandExecutorByCommunicator::ExecuteCommand(CommandContext& context, ErrorCase& err) {
    // Converted before the level check: a command without a text must fail even when tracing is off.
    const std::string& name = ToString(command_);
    LogTrace(kUnit, "CommandExecutorByCommunicator::ExecuteCommand(command: @, code [@])", name,
             static_cast<std::int32_t>(command_));

    const ByteVector request = MakeRequest(context, err);
    if (err != ErrorCase::Correct) return {};
    const std::vector<ResponseValidator> validators = GetResponseValidators();
    if (err != ErrorCase::Correct) return {};
    const ByteVector reply = ExchangeWithCommunicator(context, request, err, validators);
    if (err != ErrorCase::Correct) return {};
    ResultMap result = ParseResponse(context, reply, err);
    if (err != ErrorCase::Correct) return {};
    return result;
}

ByteVector CommandExecutorByCommunicator::ExchangeWithCommunicator(CommandContext& context, const ByteVector& request,
                                                                   ErrorCase& err,
                                                                   const std::vector<ResponseValidator>& validators) {
    if (!communicator_ || validators.empty()) {
        throw std::logic_error(
            "Norvell::Balvex::Driver::command-executor-by-communicator, "
            "CommandExecutorByCommunicator::ExchangeWithCommunicator, executor has no communicator or validator.");
    }
    ResponseValidator validator = validators.front();
    ByteVector reply = communicator_->Communicate(context, request, err, std::move(validator));
    if (err != ErrorCase::Correct) return {};
    return reply;
}

}  // namespace driver
