// ponderixd's configuration: one INI file, [service] and one [scale.<id>] section per scale.
#pragma once

#include "config-values.h"
#include "mqtt-config.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ponderixd {

struct ScaleConfig {
    std::string id;  // from the section name, used in URLs
    std::string name;
    std::string endPoint;
    std::string protocol = "auto";
    std::string model = "auto";
    std::uint32_t baudRate = 0;
    bool commands = true;  // tare, zero and specify tare allowed
};

struct ServiceConfig {
    std::string listen = "127.0.0.1";
    std::uint16_t port = 8787;
    unsigned pollMs = 100;
    std::string token;  // empty: no authentication (loopback only)
    std::vector<std::string> corsOrigins;
    std::size_t maxBodyBytes = 4096;
    unsigned requestsPerSecond = 50;  // per client address
    std::vector<ScaleConfig> scales;  // empty: the stored logic devices
    std::optional<MqttConfig> mqtt;   // none: no broker
};

// Reads and checks the file: values in range, a token for a listen address other than loopback,
// and a file holding a token readable by its owner only. Throws ConfigError.
ServiceConfig LoadConfig(const std::string& path);

// The stored logic devices as scales (the service's list when the file names none).
std::vector<ScaleConfig> LogicDeviceScales();

}  // namespace ponderixd
