#include "protocols/balvex/balvex-command-executor.h"

#include <map>
#include <regex>
#include <string_view>

#include "commands/command-context.h"
#include "log/logging.h"

namespace driver {

namespace {

constexpr std::string_view kRegexSpecial = R"(\^$.|?*+()[]{}/)";

// The template matches itself except "@", which becomes a lazy capture group.
std::string TemplateToPattern(const std::string& responseTemplate) {
    std::string pattern;
    for (char c : responseTemplate) {
        if (c == '@') {
            pattern += "(.*?)";
            continue;
        }
        if (kRegexSpecial.find(c) != std::string_view::npos) pattern += '\\';
        pattern += c;
    }
    return pattern;
}

}  // namespace

BalvexCommandExecutor::BalvexCommandExecutor(Command command, std::unique_ptr<ICommunicator> communicator,
                                             std::vector<ParamType> inputTypes, std::vector<ParamType> outputTypes,
                                             std::string requestTemplate, std::string responseTemplate,
                                             std::vector<ResponseValidator> validators)
    : CommandExecutorByCommunicator(command, std::move(communicator)),
      inputTypes_(std::move(inputTypes)),
      outputTypes_(std::move(outputTypes)),
      requestTemplate_(std::move(requestTemplate)),
      responseTemplate_(std::move(responseTemplate)),
      validators_(std::move(validators)) {}

ByteVector BalvexCommandExecutor::MakeRequest(CommandContext& context, ErrorCase& err) {
    std::map<ParamType, std::string> values;
    for (ParamType type : inputTypes_) {
        std::string value = context.GetInputParam(type, err);
        if (err != ErrorCase::Correct) return {};
        values[type] = std::move(value);
    }
    std::string request = requestTemplate_;
    for (const auto& [type, value] : values) request = logging::Format(request, value);
    return ToBytes(request);
}

ResultMap BalvexCommandExecutor::ParseResponse(CommandContext&, const ByteVector& reply, ErrorCase& err) {
    if (!outputTypes_.empty()) return ParseByTemplate(responseTemplate_, ToText(reply));

    static const ByteVector ok = ToBytes("OK\r\n");
    static const ByteVector error = ToBytes("ERROR\r\n");
    if (reply == ok) return {};
    err = reply == error ? ErrorCase::DeviceReturnsError : ErrorCase::DeviceUnexpectedResponse;
    return {};
}

ResultMap BalvexCommandExecutor::ParseByTemplate(const std::string& responseTemplate, const std::string& text) {
    if (outputTypes_.empty()) return {};
    const std::regex pattern(TemplateToPattern(responseTemplate), std::regex::ECMAScript);
    std::smatch match;
    if (!std::regex_search(text, match, pattern)) return {};
    // A template without "@" has no group; its value is the empty text.
    return {{outputTypes_.front(), match.size() > 1 ? match[1].str() : std::string()}};
}

}  // namespace driver
