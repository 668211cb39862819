#include "mqtt-config.h"

#include "config-values.h"

#include <boost/property_tree/ptree.hpp>

#include <unistd.h>

#include <array>
#include <climits>
#include <set>

namespace ponderixd {
namespace {

[[noreturn]] void Fail(const std::string& key, const std::string& why) {
    throw ConfigError("mqtt." + key, why);
}

// A wildcard would make every topic under it a subscription pattern, and a slash in the site
// would move a shop's scales one level down.
void CheckTopicLevel(const std::string& key, const std::string& value, bool slashAllowed) {
    if (value.empty() || value.find_first_of(slashAllowed ? "+#" : "+#/") != std::string::npos) {
        Fail(key, "\"" + value + "\" must be non-empty without + or #" + (slashAllowed ? "" : " or /"));
    }
}

std::string HostName() {
    std::array<char, HOST_NAME_MAX + 1> name{};
    if (gethostname(name.data(), name.size() - 1) != 0) {
        return "unknown";
    }
    return name.data();
}

}  // namespace

std::optional<MqttConfig> ReadMqttConfig(const boost::property_tree::ptree& tree) {
    const auto section = tree.get_child_optional("mqtt");
    if (!section || section->get<std::string>("host", "").empty()) {
        return std::nullopt;
    }
    OnlyKeys(*section, "mqtt",
             {"host", "port", "client_id", "prefix", "site", "username", "password", "tls_ca_file", "tls_cert_file",
              "tls_key_file", "keepalive_s", "readings", "readings_per_second"});
    const auto text = [&](const char* key, const std::string& fallback) {
        return section->get<std::string>(key, fallback);
    };

    MqttConfig config;
    config.host = text("host", "");
    config.port = ReadNumber<int>("mqtt.port", text("port", "1883"), 1, 65535);
    config.clientId = text("client_id", "ponderixd-" + HostName());
    config.prefix = text("prefix", config.prefix);
    while (config.prefix.size() > 1 && config.prefix.back() == '/') {
        config.prefix.pop_back();
    }
    CheckTopicLevel("prefix", config.prefix, true);
    config.site = text("site", "");
    if (config.site.empty()) {
        Fail("site", "required with a host: it names the shop in every topic");
    }
    CheckTopicLevel("site", config.site, false);
    config.username = text("username", "");
    config.password = text("password", "");
    config.tlsCaFile = text("tls_ca_file", "");
    config.tlsCertFile = text("tls_cert_file", "");
    config.tlsKeyFile = text("tls_key_file", "");
    if (config.tlsCertFile.empty() != config.tlsKeyFile.empty()) {
        Fail(config.tlsCertFile.empty() ? "tls_cert_file" : "tls_key_file", "a client certificate needs both files");
    }
    if (!config.tlsCertFile.empty() && config.tlsCaFile.empty()) {
        Fail("tls_ca_file", "required with a client certificate");
    }
    // libmosquitto refuses a keep-alive under 5 s.
    config.keepaliveSeconds = ReadNumber<int>("mqtt.keepalive_s", text("keepalive_s", "60"), 5, 65535);
    config.readings = ReadSwitch("mqtt.readings", text("readings", "off"));
    const std::string rate = text("readings_per_second", "1");
    try {
        std::size_t used = 0;
        config.readingsPerSecond = std::stod(rate, &used);
        if (used != rate.size() || !(config.readingsPerSecond > 0) || config.readingsPerSecond > 1000) {
            throw std::invalid_argument(rate);
        }
    } catch (const std::logic_error&) {
        Fail("readings_per_second", "\"" + rate + "\" is not a number above 0 and at most 1000");
    }
    return config;
}

}  // namespace ponderixd
