#pragma once

#include "commands/command-executor.h"

namespace driver {

// Finds the retail protocol a scale speaks by probing it with whole commands: CAS first, then POS;
// a Balvex serial-number read tells the "ProV1" variants from the plain ones.
class GetProtocolVersionAutoExecutor : public ICommandExecutor {
public:
    explicit GetProtocolVersionAutoExecutor(Command command) : command_(command) {}

    ResultMap ExecuteCommand(CommandContext& context, ErrorCase& err) override;

private:
    Command command_;
};

}  // namespace driver
