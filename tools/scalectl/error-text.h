#pragma once

#include <driver/driver.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "json-line.h"

namespace scalectl {

using jsonline::JsonLine;

// The identifier of a result code, e.g. "UnableToOpenSerialPort"; "ErrorCase<n>" outside the enumeration.
std::string ErrorCaseName(std::int32_t ecase);

// Wide text as UTF-8; wchar_t holds whole code points here, stray surrogate pairs are joined.
std::string ToUtf8(std::wstring_view text);

// The one line shown for a failure: "error 5 (UnableToOpenSerialPort): Unable to open serial port",
// followed by ": detail" when there is one. The description comes from the driver in the given language.
std::string ErrorLine(driver::ErrorCase ecase, std::int32_t language, std::string_view detail);

// The failure as one JSON object: code, name, description and cause (null when there is none).
JsonLine ErrorJson(driver::ErrorCase ecase, std::int32_t language, std::string_view cause);

// The process exit status for a result code: 0 for Correct, otherwise the number capped to 1..125.
int ExitStatus(driver::ErrorCase ecase);

}  // namespace scalectl
