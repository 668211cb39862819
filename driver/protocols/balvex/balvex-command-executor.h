#pragma once

#include <string>
#include <vector>

#include "commands/command-executor-by-communicator.h"

namespace driver {

// Executor of the Balvex service protocol: "@" in the request template takes the input value,
// "@" in the response template marks the value read back.
class BalvexCommandExecutor : public CommandExecutorByCommunicator {
public:
    BalvexCommandExecutor(Command command, std::unique_ptr<ICommunicator> communicator,
                          std::vector<ParamType> inputTypes, std::vector<ParamType> outputTypes,
                          std::string requestTemplate, std::string responseTemplate,
                          std::vector<ResponseValidator> validators);

protected:
    ByteVector MakeRequest(CommandContext& context, ErrorCase& err) override;
    ResultMap ParseResponse(CommandContext& context, const ByteVector& reply, ErrorCase& err) override;
    std::vector<ResponseValidator> GetResponseValidators() override { return validators_; }

    // First match of the template anywhere in the text; the value goes under the first output type.
    virtual ResultMap ParseByTemplate(const std::string& responseTemplate, const std::string& text);

    const std::vector<ParamType>& outputTypes() const { return outputTypes_; }
    const std::string& responseTemplate() const { return responseTemplate_; }

private:
    std::vector<ParamType> inputTypes_;
    std::vector<ParamType> outputTypes_;
    std::string requestTemplate_;
    std::string responseTemplate_;
    std::vector<ResponseValidator> validators_;
};

}  // namespace driver
