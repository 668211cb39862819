#pragma once

#include <map>
#include <string>

#include "protocols/balvex/balvex-command-executor.h"

namespace driver {

// Division index reported by the scale -> division text.
const std::map<std::int32_t, std::string>& DiscretMap();

// Reads the model, maximum, division and protocol lines (sent as four requests by BvxCommunicator)
// and composes the readable model name under ScalesModel.
class BalvexCommandModelExecutor : public BalvexCommandExecutor {
public:
    BalvexCommandModelExecutor(Command command, std::vector<ParamType> inputTypes, std::vector<ParamType> outputTypes,
                               std::string requestTemplate, std::string responseTemplate,
                               std::vector<ResponseValidator> validators);

protected:
    // A division that cannot be read makes the whole name unreadable.
    ResultMap ParseResponse(CommandContext& context, const ByteVector& reply, ErrorCase& err) override;
    // Empty map when the division is no number or no known index.
    ResultMap ParseByTemplate(const std::string& responseTemplate, const std::string& text) override;
};

}  // namespace driver
