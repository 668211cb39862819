#include "device-resources.h"

#include "defines.h"
#include "log/logging.h"

namespace driver {

namespace {
constexpr std::string_view kUnit = "device-resources";
}

void Parameters::SetParamInput(ParamType ptype, const std::string& value) {
    entries_[ptype].input = value;
}

void Parameters::SetParamOutput(ParamType ptype, const std::string& value) {
    entries_[ptype].output = value;
}

std::string Parameters::GetParamInput(ParamType ptype, ErrorCase& ecase) const {
    LogTrace(kUnit, "Parameters::GetParamInput(ptype: @), ", ToString(ptype));
    auto found = entries_.find(ptype);
    if (found != entries_.end() && !found->second.input.empty()) {
        LogTrace(kUnit, "Parameters::GetParamInput(), value is [@], ", found->second.input + "\\r\\n");
        return found->second.input;
    }
    LogError(kUnit, "Parameters::GetParamInput() const, attempt to get a value that was not set");
    ecase = ErrorCase::ParamTypeIsNotSetToGet;
    return {};
}

std::string Parameters::GetParamOutput(ParamType ptype, ErrorCase& ecase) const {
    LogTrace(kUnit, "Parameters::GetParamOutput(ptype: @)", ToString(ptype));
    auto found = entries_.find(ptype);
    if (found != entries_.end() && !found->second.output.empty()) {
        LogTrace(kUnit, "Parameters::GetParamOutput(), value is [@]", found->second.output);
        return found->second.output;
    }
    LogError(kUnit, "Parameters::GetParamOutput() const, attempt to get a value that was not set");
    ecase = ErrorCase::ParamTypeIsNotSetToGet;
    return {};
}

}  // namespace driver
