#pragma once

#include <string>

#include "driver/driver.h"

namespace driver {

// A protocol text is "Pro" when it contains "Pro" ("POS2KProV1", "CAS-K ProV1").
bool IsProProtocol(const std::string& protocol);

// The protocol's own command for a generic weighing command; other commands come back unchanged.
Command MapCommand(const std::string& protocol, Command command);

// Whether the protocol accepts the command; unknown protocols accept nothing.
bool IsCommandAccepted(const std::string& protocol, Command command);

// The first run of decimal digits of both texts is equal, or the configured model is "auto".
bool ModelsMatch(const std::string& configuredModel, const std::string& scaleModel);

}  // namespace driver
