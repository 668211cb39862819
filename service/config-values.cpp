#include "config-values.h"

#include <boost/property_tree/ptree.hpp>

namespace ponderixd {

unsigned long long ReadWholeNumber(const std::string& key, const std::string& text, unsigned long long low,
                                   unsigned long long high) {
    std::size_t used = 0;
    unsigned long long value = 0;
    try {
        if (text.empty() || text.front() == '-' || text.front() == '+') throw std::invalid_argument(text);
        value = std::stoull(text, &used);
    } catch (const std::exception&) {
        throw ConfigError(key, "\"" + text + "\" is not a number");
    }
    if (used != text.size()) throw ConfigError(key, "\"" + text + "\" is not a number");
    if (value < low || value > high) {
        throw ConfigError(key, "must be from " + std::to_string(low) + " to " + std::to_string(high));
    }
    return value;
}

bool ReadSwitch(const std::string& key, const std::string& text) {
    if (text == "on") return true;
    if (text == "off") return false;
    throw ConfigError(key, "must be on or off");
}

void OnlyKeys(const boost::property_tree::ptree& section, const std::string& name, const std::set<std::string>& known) {
    for (const auto& [key, value] : section) {
        if (!known.count(key)) throw ConfigError(name + "." + key, "unknown setting");
    }
}

}  // namespace ponderixd
