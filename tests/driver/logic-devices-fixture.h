#pragma once

#include <gtest/gtest.h>

// Boost 1.74 json_parser still pulls in the old global bind placeholders.
#define BOOST_BIND_GLOBAL_PLACEHOLDERS
#include <boost/property_tree/json_parser.hpp>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "driver-error.h"
#include "log/logging.h"
#include "store/logic-devices.h"
#include "support/temp-dir.h"

namespace testsupport {

// The logic-device file in a fresh APPDATA, as every registry of the test finds it.
class LogicDevicesTest : public ::testing::Test {
protected:
    using Id = driver::LogicDeviceId;
    using Ids = std::vector<Id>;
    using Type = driver::LogicDeviceParamType;

    // The log folder is fixed on first use; take it under the process root before tests move APPDATA.
    static void SetUpTestSuite() { driver::logging::Enabled(driver::LogLevel::Trace); }

    std::filesystem::path File() const { return appData_.ponderix() / "logic-devices-connection-config.json"; }
    void WriteFile(const std::string& text) const { WriteText(File(), text); }
    std::string ReadFile() const { return ReadText(File()); }
    // Throws when the file does not parse.
    boost::property_tree::ptree StoredDevices() const {
        boost::property_tree::ptree tree;
        boost::property_tree::read_json(File().string(), tree);
        return tree.get_child("devices");
    }
    std::string Stored(Id id, const std::string& key) const {
        return StoredDevices().get_child(std::to_string(id)).get<std::string>(key);
    }
    std::vector<std::string> StoredKeys() const {
        std::vector<std::string> keys;
        for (const auto& member : StoredDevices()) keys.push_back(member.first);
        return keys;
    }
    std::map<Id, std::string> StoredNames() const {
        std::map<Id, std::string> names;
        for (const auto& [key, device] : StoredDevices())
            names[static_cast<Id>(std::stoul(key))] = device.get<std::string>("name");
        return names;
    }
    // Everything beside the file and its lock, e.g. a temporary file left behind.
    std::vector<std::string> Leftovers() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(appData_.ponderix())) {
            const std::string name = entry.path().filename().string();
            if (name != File().filename().string() && name != File().filename().string() + ".lock")
                names.push_back(name);
        }
        return names;
    }
    void ExpectConstructionFails(driver::ErrorCase code, const std::string& message) const {
        try {
            driver::LogicDeviceManager manager;
            ADD_FAILURE() << "the registry was built";
        } catch (const driver::DriverError& error) {
            EXPECT_EQ(error.code(), code);
            EXPECT_EQ(error.what(), message);
        }
    }
    int CurrentMarks() const {
        int marks = 0;
        for (const auto& member : StoredDevices()) marks += member.second.get<std::string>("is-current") == "true";
        return marks;
    }

    ScopedAppData appData_;
    driver::ErrorCase ecase_ = driver::ErrorCase::Correct;
};

}  // namespace testsupport
