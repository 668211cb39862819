#include "service-config.h"

#include <ponderix/ponderix.h>

#include <boost/algorithm/string.hpp>
#include <boost/asio/ip/address.hpp>
#include <boost/property_tree/ini_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include <sys/stat.h>

#include <set>

namespace ponderixd {
namespace {

namespace pt = boost::property_tree;

bool IsUrlSafe(const std::string& id) {
    if (id.empty() || id.size() > 64) return false;
    for (char c : id) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') return false;
    }
    return true;
}

void ReadService(const pt::ptree& section, ServiceConfig& config) {
    OnlyKeys(section, "service",
             {"listen", "port", "poll_ms", "token", "cors_origins", "max_body_bytes", "requests_per_second"});
    config.listen = section.get("listen", config.listen);
    boost::system::error_code ec;
    boost::asio::ip::make_address(config.listen, ec);
    if (ec) throw ConfigError("service.listen", "\"" + config.listen + "\" is not an IP address");
    if (auto text = section.get_optional<std::string>("port")) {
        config.port = ReadNumber<std::uint16_t>("service.port", *text, 1, 65535);
    }
    if (auto text = section.get_optional<std::string>("poll_ms")) {
        config.pollMs = ReadNumber<unsigned>("service.poll_ms", *text, 20, 10000);
    }
    if (auto text = section.get_optional<std::string>("max_body_bytes")) {
        config.maxBodyBytes = ReadNumber<std::size_t>("service.max_body_bytes", *text, 64, 1 << 20);
    }
    if (auto text = section.get_optional<std::string>("requests_per_second")) {
        config.requestsPerSecond = ReadNumber<unsigned>("service.requests_per_second", *text, 1, 100000);
    }
    config.token = section.get("token", "");
    if (auto text = section.get_optional<std::string>("cors_origins")) {
        boost::split(config.corsOrigins, *text, boost::is_any_of(","));
        for (auto& origin : config.corsOrigins) boost::trim(origin);
        std::erase(config.corsOrigins, "");
    }
}

ScaleConfig ReadScale(const std::string& sectionName, const pt::ptree& section) {
    ScaleConfig scale;
    scale.id = sectionName.substr(std::string("scale.").size());
    if (!IsUrlSafe(scale.id)) throw ConfigError(sectionName, "the id may hold only letters, digits, - and _");
    OnlyKeys(section, sectionName, {"end_point", "protocol", "model", "baud_rate", "name", "commands"});
    scale.endPoint = section.get("end_point", "");
    if (scale.endPoint.empty()) throw ConfigError(sectionName + ".end_point", "missing");
    scale.protocol = section.get("protocol", scale.protocol);
    scale.model = section.get("model", scale.model);
    scale.name = section.get("name", "");
    if (auto text = section.get_optional<std::string>("baud_rate")) {
        scale.baudRate = ReadNumber<std::uint32_t>(sectionName + ".baud_rate", *text, 0, 9600);
        if (scale.baudRate != 0 && scale.baudRate != 4800 && scale.baudRate != 9600) {
            throw ConfigError(sectionName + ".baud_rate", "must be 4800 or 9600");
        }
    }
    if (auto text = section.get_optional<std::string>("commands")) {
        scale.commands = ReadSwitch(sectionName + ".commands", *text);
    }
    return scale;
}

bool IsLoopback(const std::string& listen) {
    return boost::asio::ip::make_address(listen).is_loopback();
}

}  // namespace

ServiceConfig LoadConfig(const std::string& path) {
    pt::ptree tree;
    try {
        pt::read_ini(path, tree);
    } catch (const pt::ini_parser_error& error) {
        throw ConfigError("file", error.what());
    }
    ServiceConfig config;
    std::set<std::string> ids;
    for (const auto& [name, section] : tree) {
        if (name == "service") {
            ReadService(section, config);
        } else if (name.rfind("scale.", 0) == 0) {
            config.scales.push_back(ReadScale(name, section));
            if (!ids.insert(config.scales.back().id).second) throw ConfigError(name, "the id is used twice");
        } else if (section.empty() && !section.data().empty()) {
            throw ConfigError(name, "a setting outside a section");
        }
        // Other sections belong to other parts of the service ([mqtt]).
    }
    config.mqtt = ReadMqttConfig(tree);
    if (config.token.empty() && !IsLoopback(config.listen)) {
        throw ConfigError("service.token", "required when listening on " + config.listen + ", not loopback");
    }
    if (!config.token.empty()) {
        struct stat status {};
        if (::stat(path.c_str(), &status) != 0 || (status.st_mode & 077) != 0) {
            throw ConfigError("service.token",
                              "the file " + path + " holds a token, so only its owner may read it (chmod 600)");
        }
    }
    return config;
}

std::vector<ScaleConfig> LogicDeviceScales() {
    std::size_t count = 0;
    pdx_logic_device_list(nullptr, 0, &count);
    std::vector<std::uint32_t> ids(count);
    if (pdx_logic_device_list(ids.data(), ids.size(), &count) != PDX_CORRECT) ids.clear();
    ids.resize(std::min(ids.size(), count));
    std::vector<ScaleConfig> scales;
    for (auto id : ids) {
        // Opened by their fields, not as logic devices: that would make each the current one in
        // the store other programs share.
        const auto field = [id](std::int32_t which) {
            char text[PDX_TEXT_SIZE] = "";
            return pdx_logic_device_get(id, which, text, sizeof text, nullptr) == PDX_CORRECT ? std::string(text)
                                                                                              : std::string();
        };
        ScaleConfig scale;
        scale.id = std::to_string(id);
        scale.name = field(PDX_FIELD_NAME);
        scale.endPoint = field(PDX_FIELD_END_POINT);
        if (auto protocol = field(PDX_FIELD_PROTOCOL); !protocol.empty()) scale.protocol = protocol;
        if (auto model = field(PDX_FIELD_MODEL); !model.empty()) scale.model = model;
        const auto baud = field(PDX_FIELD_BAUD_RATE);
        scale.baudRate = baud == "4800" ? 4800 : 0;  // 0 is the scales' usual 9600
        scales.push_back(scale);
    }
    return scales;
}

}  // namespace ponderixd
