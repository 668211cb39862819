#pragma once

#include <map>
#include <string>

#include "driver/driver.h"

namespace driver {

// One stored connection configuration. ID holds the id in decimal; the other types mirror the file.
class LogicDeviceParameters {
public:
    void SetParam(LogicDeviceParamType type, const std::string& value);
    std::string GetParam(LogicDeviceParamType type, ErrorCase& ecase) const;

    // Quiet check used when moving the current mark, so scanning every device does not flood the log.
    bool IsMarkedCurrent() const;

private:
    std::map<LogicDeviceParamType, std::string> params_;
};

}  // namespace driver
