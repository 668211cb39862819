// Drives MqttPublisher without scales: reads the [mqtt] section of the INI file it is given, then one
// command a line on standard input, each changing one scale's snapshot and handing it over
// ("serial <id> <text>", "state <id> online|silent|lost", "weight <id> <grams>", "error <id> <code>",
// "cal <id> <count>"), or "stop". Answers every line with "ok" once the publisher has it.
#include "mqtt-publisher.h"

#include <boost/property_tree/ini_parser.hpp>
#include <boost/property_tree/ptree.hpp>
#include <spdlog/sinks/stdout_sinks.h>
#include <spdlog/spdlog.h>

#include <iostream>
#include <map>
#include <sstream>

int main(int argc, char** argv) {
    using namespace ponderixd;
    if (argc != 2) {
        std::cerr << "usage: mqtt-feed CONFIG.ini\n";
        return 2;
    }
    // Standard output carries the answers.
    spdlog::set_default_logger(spdlog::stderr_logger_mt("mqtt-feed"));
    boost::property_tree::ptree tree;
    boost::property_tree::read_ini(argv[1], tree);
    MqttPublisher publisher(ReadMqttConfig(tree).value());
    if (!publisher.Start()) {
        return 1;
    }
    std::map<std::string, ScaleSnapshot> scales;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string command, id, value;
        words >> command >> id >> value;
        if (command == "stop") {
            publisher.Stop();
            std::cout << "ok" << std::endl;
            return 0;
        }
        ScaleSnapshot& snapshot = scales[id];
        snapshot.identity.id = id;
        snapshot.identity.model = "POS2K";
        if (command == "serial") {
            snapshot.identity.serialNumber = value;
        } else if (command == "state") {
            snapshot.state = value == "online" ? LineState::Online
                             : value == "silent" ? LineState::Silent
                                                 : LineState::Lost;
            snapshot.reading.reset();
        } else if (command == "weight") {
            snapshot.state = LineState::Online;
            snapshot.reading = ScaleReading{pdx_reading{}, std::chrono::system_clock::now()};
            snapshot.reading->value.net = std::stoll(value);
            snapshot.reading->value.decimals = 3;
            snapshot.reading->value.unit = PDX_KILOGRAM;
            snapshot.reading->value.stable = 1;
        } else if (command == "error") {
            snapshot.lastError = ScaleError{std::stoi(value), std::chrono::system_clock::now()};
        } else if (command == "cal") {
            snapshot.identity.calibrationCount = static_cast<std::uint32_t>(std::stoul(value));
        }
        ++snapshot.sequence;
        publisher.OnSnapshot(snapshot);
        std::cout << "ok" << std::endl;
    }
    return 0;
}
