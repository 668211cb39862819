#pragma once

#include "commands/command-executor.h"

namespace driver {

// Reads the weight status by whichever retail protocol answers, in the fixed order POS, CAS, OKA.
// The values are stored by the command that answered; the map returned is empty.
class StatusOfWeightChannelAutoExecutor : public ICommandExecutor {
public:
    explicit StatusOfWeightChannelAutoExecutor(Command command) : command_(command) {}

    ResultMap ExecuteCommand(CommandContext& context, ErrorCase& err) override;

private:
    Command command_;
};

}  // namespace driver
