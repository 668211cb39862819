#include "protocols/auto/status-of-weight-channel-auto-executor.h"

#include <array>

#include "commands/command-context.h"
#include "defines.h"
#include "log/logging.h"

namespace driver {

ResultMap StatusOfWeightChannelAutoExecutor::ExecuteCommand(CommandContext& context, ErrorCase& err) {
    const std::string& name = ToString(command_);
    LogTrace("status-of-weight-channel-auto-executor",
             "StatusOfWeightChannelAutoExecutor::ExecuteCommand(command: @, code [@])", name,
             static_cast<std::int32_t>(command_));

    static constexpr std::array order = {Command::POSStatusOfWeightChannel, Command::CASStatusOfWeightChannel,
                                         Command::OKAStatusOfWeightChannel};
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i > 0) err = ErrorCase::Correct;
        context.ExecuteCommand(order[i], err);
        if (err == ErrorCase::Correct) break;
    }
    return {};
}

}  // namespace driver
