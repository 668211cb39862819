#include "protocols/balvex/balvex-command-model-executor.h"

#include <optional>
#include <regex>
#include <stdexcept>

#include "log/logging.h"
#include "protocols/balvex/bvx-communicator.h"

namespace driver {

namespace {

constexpr std::string_view kUnit = "balvex-command-model-executor";
constexpr std::string_view kFamily = "K-ZA ";
constexpr std::string_view kAccuracyClass = " III(средний)";

std::optional<std::string> FindValue(const std::string& text, const char* key) {
    const std::regex pattern(std::string(key) + R"(=(\S+))", std::regex::ECMAScript);
    std::smatch match;
    if (!std::regex_search(text, match, pattern)) return std::nullopt;
    return match[1].str();
}

std::optional<std::string> DivisionText(const std::string& value) {
    std::int32_t index = 0;
    try {
        index = std::stoi(value);
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    } catch (const std::out_of_range&) {
        return std::nullopt;
    }
    const auto& table = DiscretMap();
    const auto found = table.find(index);
    if (found == table.end()) return std::nullopt;
    return found->second;
}

}  // namespace

const std::map<std::int32_t, std::string>& DiscretMap() {
    static const std::map<std::int32_t, std::string> table = {
        {0, "1"}, {1, "2"}, {2, "5"}, {3, "10"}, {4, "20"}, {5, "50"},
    };
    return table;
}

BalvexCommandModelExecutor::BalvexCommandModelExecutor(Command command, std::vector<ParamType> inputTypes,
                                                       std::vector<ParamType> outputTypes, std::string requestTemplate,
                                                       std::string responseTemplate,
                                                       std::vector<ResponseValidator> validators)
    : BalvexCommandExecutor(command, std::make_unique<BvxCommunicator>(), std::move(inputTypes), std::move(outputTypes),
                            std::move(requestTemplate), std::move(responseTemplate), std::move(validators)) {}

ResultMap BalvexCommandModelExecutor::ParseResponse(CommandContext&, const ByteVector& reply, ErrorCase& err) {
    ResultMap result = ParseByTemplate(responseTemplate(), ToText(reply));
    if (result.empty()) {
        err = ErrorCase::DeviceResponseIncorrectFormat;
        LogError(kUnit, "BalvexCommandModelExecutor::ParseResponse(), division is not a known index");
    }
    return result;
}

ResultMap BalvexCommandModelExecutor::ParseByTemplate(const std::string&, const std::string& text) {
    std::string name(kFamily);
    if (const auto mode = FindValue(text, "mode")) name.append(*mode).append("-");
    if (const auto max = FindValue(text, "max")) {
        const auto first = max->find_first_not_of('0');
        name.append(first == std::string::npos ? "0" : max->substr(first)).append(".");
    }
    if (const auto div = FindValue(text, "div")) {
        const auto division = DivisionText(*div);
        if (!division) return {};
        name.append(*division);
    }
    name.append(kAccuracyClass);
    return {{ParamType::ScalesModel, name}};
}

}  // namespace driver
