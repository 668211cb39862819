#pragma once

#include <memory>
#include <vector>

#include "commands/command-executor.h"
#include "commands/communicator.h"

namespace driver {

// Generic run: build the request, exchange it through the communicator, parse the reply.
class CommandExecutorByCommunicator : public ICommandExecutor {
public:
    CommandExecutorByCommunicator(Command command, std::unique_ptr<ICommunicator> communicator)
        : command_(command), communicator_(std::move(communicator)) {}

    ResultMap ExecuteCommand(CommandContext& context, ErrorCase& err) override;

protected:
    virtual ByteVector ExchangeWithCommunicator(CommandContext& context, const ByteVector& request, ErrorCase& err,
                                                const std::vector<ResponseValidator>& validators);
    virtual ByteVector MakeRequest(CommandContext& context, ErrorCase& err) = 0;
    virtual ResultMap ParseResponse(CommandContext& context, const ByteVector& reply, ErrorCase& err) = 0;
    virtual std::vector<ResponseValidator> GetResponseValidators() = 0;

    Command command() const { return command_; }

private:
    Command command_;
    std::unique_ptr<ICommunicator> communicator_;
};

}  // namespace driver
