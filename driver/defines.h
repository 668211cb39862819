#pragma once

#include <string>

#include "driver/driver.h"

namespace driver {

// Texts for log lines. A value outside its enumeration throws DriverError
// (CommandUnknown, ParamTypeUnknown, OptionUnknown, IncorrectArgumnts for the rest).
const std::string& ToString(ErrorCase value);
const std::string& ToString(Command value);
const std::string& ToString(ParamType value);
const std::string& ToString(Option value);
const std::string& ToString(LogicDeviceParamType value);

// Key of the logic-device JSON file; ID has none and throws.
const std::string& ToJsonString(LogicDeviceParamType value);

// Description of a result code in language 1 (Russian) or 2 (English); throws DriverError
// (IncorrectArgumnts) for an unknown language or a missing text. Thread safe.
const std::wstring& Description(ErrorCase value, std::int32_t language);

}  // namespace driver
