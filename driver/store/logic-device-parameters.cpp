#include "store/logic-device-parameters.h"

#include "defines.h"
#include "log/logging.h"

namespace driver {

namespace {
constexpr std::string_view kUnit = "logic-devices";
}  // namespace

void LogicDeviceParameters::SetParam(LogicDeviceParamType type, const std::string& value) {
    LogTrace(kUnit, "LogicDeviceParameters::SetParam()");
    params_[type] = value;
}

std::string LogicDeviceParameters::GetParam(LogicDeviceParamType type, ErrorCase& ecase) const {
    LogTrace(kUnit, "LogicDeviceParameters::GetParam(ptype: @)", ToString(type));
    const auto found = params_.find(type);
    if (found == params_.end()) {
        LogError(kUnit, "LogicDeviceParameters::GetParam() const, attempt to get a value that was not set");
        ecase = ErrorCase::ParamTypeIsNotSetToGet;
        return {};
    }
    LogTrace(kUnit, "LogicDeviceParameters::GetParam(), value is [@]", found->second);
    return found->second;
}

bool LogicDeviceParameters::IsMarkedCurrent() const {
    const auto found = params_.find(LogicDeviceParamType::IsCurrent);
    return found != params_.end() && found->second == "true";
}

}  // namespace driver
