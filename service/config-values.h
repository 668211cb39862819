// The values of ponderixd's INI file, for every section's reader: each refusal is a ConfigError
// naming the setting ("service.port", "mqtt.keepalive_s").
#pragma once

#include <boost/property_tree/ptree_fwd.hpp>

#include <set>
#include <stdexcept>
#include <string>

namespace ponderixd {

// A configuration the service must not start with; key() names the setting ("service.port").
class ConfigError : public std::runtime_error {
public:
    ConfigError(std::string key, const std::string& message)
        : std::runtime_error(key + ": " + message), key_(std::move(key)) {}
    const std::string& key() const { return key_; }

private:
    std::string key_;
};

// A whole number from low to high, written without a sign.
unsigned long long ReadWholeNumber(const std::string& key, const std::string& text, unsigned long long low,
                                   unsigned long long high);

template <typename Number>
Number ReadNumber(const std::string& key, const std::string& text, Number low, Number high) {
    return static_cast<Number>(ReadWholeNumber(key, text, low, high));
}

// "on" or "off".
bool ReadSwitch(const std::string& key, const std::string& text);

// A typo must not silently leave a default in place: a key outside known is refused.
void OnlyKeys(const boost::property_tree::ptree& section, const std::string& name, const std::set<std::string>& known);

}  // namespace ponderixd
