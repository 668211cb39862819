// Identifiers of the result codes, for callers that show a code by name.
#pragma once

#include <array>
#include <string_view>

#include "driver/driver.h"

namespace driver {

inline constexpr std::array<std::string_view, 39> kErrorCaseNames = {
    "Correct",
    "Unset",
    "ErrorCaseUnknown",
    "IncorrectArgumnts",
    "ConnectionError",
    "UnableToOpenSerialPort",
    "BoostErrorUnknown",
    "BoostTimeOut",
    "HandleNull",
    "HandleInvalid",
    "HandleDoesNotExist",
    "ParamTypeUnknown",
    "ParamTypeUnsupported",
    "ParamTypeIsNotSetToGet",
    "OptionUnknown",
    "OptionUnsupported",
    "OptionIsNotSetToGet",
    "ParamValueUnknown",
    "ParamValueUnsupported",
    "ParamValueUnset",
    "CommandUnknown",
    "CommandUnsupported",
    "DeviceResponseIncorrectFormat",
    "DeviceUnexpectedResponse",
    "DeviceReturnsError",
    "DeviceIsNotStabilized",
    "UnknownExceptionWasCaught",
    "OpenCheckValuesIsNotEq",
    "JSONKeyMissing",
    "JSONAnotherFileExtension",
    "JSONFileDoesNotExist",
    "JSONFileParsingProblem",
    "CommandLineIncorrectArgument",
    "UnableToOpenFile",
    "WrongModelChosen",
    "EscapeClicked",
    "LogicDeviceJSONError",
    "LogicDeviceNotFound",
    "NotAllParamsAreSetInLogicDevice",
};

// The identifier of a code, or empty text for a number outside the enumeration.
constexpr std::string_view ErrorCaseName(ErrorCase code) {
    const auto index = static_cast<std::int64_t>(code);
    return index >= 0 && index < static_cast<std::int64_t>(kErrorCaseNames.size())
               ? kErrorCaseNames[static_cast<std::size_t>(index)]
               : std::string_view();
}

}  // namespace driver
