// The [mqtt] section of ponderixd's configuration. The service reads the file; this reads only the
// section, so the MQTT settings live beside the publisher that uses them.
#pragma once

#include <boost/property_tree/ptree_fwd.hpp>

#include <optional>
#include <string>

namespace ponderixd {

struct MqttConfig {
    std::string host;
    int port = 1883;
    std::string clientId;  // "ponderixd-<hostname>" unless set
    std::string prefix = "ponderix";
    std::string site;  // one shop: topics are <prefix>/<site>/...
    std::string username;
    std::string password;
    std::string tlsCaFile;  // TLS is on when set
    std::string tlsCertFile;
    std::string tlsKeyFile;
    int keepaliveSeconds = 60;
    bool readings = false;
    double readingsPerSecond = 1.0;
};

// Nothing when the tree has no [mqtt] host: the service then runs without a broker. A value that
// cannot be used throws ConfigError naming it ("mqtt.port").
std::optional<MqttConfig> ReadMqttConfig(const boost::property_tree::ptree& tree);

}  // namespace ponderixd
