#pragma once

#include <driver/driver.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace scalectl {

inline constexpr std::string_view kSerialPort = "Serial Port";
inline constexpr std::string_view kTcp = "TCP";

// "auto" and the protocol names the driver knows.
std::span<const std::string_view> ProtocolNames();

// The editable fields of a logic device by the names the user types ("name", "end-point", "baud", ...).
std::optional<driver::LogicDeviceParamType> FieldByName(std::string_view name);
// The names accepted by FieldByName, for help texts.
std::string FieldNames();
// The name a field is shown under, the key of the logic-device file.
std::string_view FieldKey(driver::LogicDeviceParamType field);

// The value to store for a field, or a CommandLineIncorrectArgument error explaining why the text can't be stored.
// Accepts "serial" and "tcp" for the connection type.
std::string CheckedFieldValue(driver::LogicDeviceParamType field, std::string_view value);

// ADDRESS or ADDRESS:PORT with a port of 1 to 65535.
bool IsTcpEndPoint(std::string_view text);

}  // namespace scalectl
