// The [mqtt] section: no host means no broker, and a bad value stops the start naming its key.
#include <gtest/gtest.h>

#include "mqtt-config.h"
#include "service-config.h"

#include <boost/property_tree/ini_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include <sstream>

namespace ponderixd {
namespace {

std::optional<MqttConfig> Read(const std::string& ini) {
    std::istringstream text(ini);
    boost::property_tree::ptree tree;
    boost::property_tree::read_ini(text, tree);
    return ReadMqttConfig(tree);
}

TEST(MqttConfig, WithoutAHostThereIsNoBroker) {
    EXPECT_FALSE(Read("[service]\nport = 8080\n"));
    EXPECT_FALSE(Read("[mqtt]\nsite = shop-7\nport = 0\n"));
}

TEST(MqttConfig, DefaultsAndValues) {
    const auto plain = Read("[mqtt]\nhost = broker\nsite = shop-7\n").value();
    EXPECT_EQ(plain.port, 1883);
    EXPECT_EQ(plain.prefix, "ponderix");
    EXPECT_EQ(plain.clientId.rfind("ponderixd-", 0), 0u);
    EXPECT_EQ(plain.keepaliveSeconds, 60);
    EXPECT_FALSE(plain.readings);
    EXPECT_EQ(plain.readingsPerSecond, 1.0);

    const auto set = Read(
                         "[mqtt]\nhost = broker\nsite = shop-7\nport = 8883\nprefix = chain/scales/\n"
                         "readings = on\nreadings_per_second = 0.5\ntls_ca_file = ca.pem\n")
                         .value();
    EXPECT_EQ(set.port, 8883);
    EXPECT_EQ(set.prefix, "chain/scales");
    EXPECT_TRUE(set.readings);
    EXPECT_EQ(set.readingsPerSecond, 0.5);
    EXPECT_EQ(set.tlsCaFile, "ca.pem");
}

TEST(MqttConfig, ABadValueNamesItsKey) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "site"},
        {"site = a/b\n", "site"},
        {"site = s\nport = 70000\n", "port"},
        {"site = s\nport = 18x\n", "port"},
        {"site = s\nprefix = a/#\n", "prefix"},
        {"site = s\nreadings = maybe\n", "readings"},
        {"site = s\nreadings_per_second = 0\n", "readings_per_second"},
        {"site = s\ntls_ca_file = ca.pem\ntls_cert_file = c.pem\n", "tls_key_file"},
        {"site = s\nreading = on\n", "reading"},
    };
    for (const auto& [lines, key] : cases) {
        try {
            Read(std::string("[mqtt]\nhost = broker\n") + lines);
            ADD_FAILURE() << lines;
        } catch (const ConfigError& error) {
            EXPECT_EQ(error.key(), std::string("mqtt.") + key) << error.what();
        }
    }
}

}  // namespace
}  // namespace ponderixd
