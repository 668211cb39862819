// The facade libpermanent.so as the terminal uses it, against scale-sim on a pty.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <thread>

#include "permanent.h"
#include "support/sim-process.h"

namespace {

using namespace Norvell::Balvex::CppWrapper;
using namespace std::chrono_literals;

std::filesystem::path LogicDeviceFile() {
    return std::filesystem::path(std::getenv("APPDATA")) / "NORVELL" / "Ponderix" /
           "logic-devices-connection-config.json";
}

// Before the facade first binds: a file whose only logic device is 2.
class FileWithoutDeviceOne : public ::testing::Environment {
public:
    void SetUp() override {
        std::filesystem::create_directories(LogicDeviceFile().parent_path());
        std::ofstream(LogicDeviceFile()) << R"({"devices": {"2": {"is-current": "true", "name": "other",
            "connection-type": "Serial Port", "end-point": "/dev/ttyUSB9", "baud-rate": "9600",
            "model": "auto", "protocol": "auto"}}})";
    }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new FileWithoutDeviceOne);

class Facade : public ::testing::Test {
protected:
    void TearDown() override {
        ErrorCase ignored = ErrorCase::Unset;
        driver.closePort(ignored);
    }

    // Points logic device 1 at the port with detection on and opens it.
    ErrorCase OpenOn(const std::string& port) {
        ErrorCase e = ErrorCase::Unset;
        driver.setConnectionParam(LogicDeviceParamType::EndPoint, port, e);
        EXPECT_EQ(e, ErrorCase::Correct);
        driver.setConnectionParam(LogicDeviceParamType::Model, "auto", e);
        driver.setConnectionParam(LogicDeviceParamType::Protocol, "auto", e);
        driver.openPort(e);
        return e;
    }

    // A Pro POS scale with these control lines applied, and logic device 1 opened on it.
    void OpenOnScale(std::initializer_list<std::string> controls) {
        ASSERT_TRUE(sim.started());
        sim.Control(controls);
        ASSERT_EQ(OpenOn(sim.endpoint()), ErrorCase::Correct);
    }

    testsupport::SimProcess sim{{"--protocol", "pos", "--pro"}};
    Driver& driver = Driver::getInstanceLib();
};

TEST_F(Facade, AddsLogicDeviceOneWithDefaultsWhenTheFileLacksIt) {
    ErrorCase e = ErrorCase::Unset;
    EXPECT_EQ(driver.getConnectionParam(LogicDeviceParamType::Name, e), "default name");
    EXPECT_EQ(e, ErrorCase::Correct);
    EXPECT_EQ(driver.getConnectionParam(LogicDeviceParamType::ConnectionType, e), "Serial Port");
    EXPECT_EQ(driver.getConnectionParam(LogicDeviceParamType::BaudRate, e), "9600");
    std::ifstream in(LogicDeviceFile());
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("ttyUSB9"), std::string::npos) << "the other logic device was lost: " << text;
}

TEST_F(Facade, DetectsTheProtocolAndReadsWeightAndTare) {
    OpenOnScale({"weight 1500", "tare 200", "stable 1"});
    ErrorCase e = ErrorCase::Unset;
    EXPECT_TRUE(driver.isPortOpen(e));
    EXPECT_EQ(driver.getConnectionParam(LogicDeviceParamType::Protocol, e), "POS2KProV1");
    driver.exeCommand(Command::StatusOfWeightChannel, e);
    ASSERT_EQ(e, ErrorCase::Correct);
    EXPECT_EQ(driver.gettingParam(ParamType::Weight, e), "1500");
    EXPECT_EQ(driver.gettingParam(ParamType::Tare, e), "200");
    EXPECT_EQ(e, ErrorCase::Correct);
    driver.closePort(e);
    EXPECT_EQ(e, ErrorCase::Correct);
    EXPECT_FALSE(driver.isPortOpen(e));
}

TEST_F(Facade, ReportsEachFailureAsItsCode) {
    EXPECT_EQ(OpenOn("/dev/ponderix-no-such-port"), ErrorCase::UnableToOpenSerialPort);
    ErrorCase e = ErrorCase::Unset;
    EXPECT_FALSE(driver.isPortOpen(e));
    driver.exeCommand(Command::StatusOfWeightChannel, e);
    EXPECT_NE(e, ErrorCase::Correct);
    driver.gettingParam(ParamType::Cell, e);
    EXPECT_NE(e, ErrorCase::Correct);
    driver.exeSettingCommand(Command::SetProtocolVersion, ParamType::ProtocolVersion, "1", e);
    EXPECT_NE(e, ErrorCase::Correct);
}

// While the weight thread holds its status unit, a tare from the GUI thread waits for it.
TEST_F(Facade, TareWaitsForTheStatusUnitOfAnotherThread) {
    OpenOnScale({"weight 800", "stable 1"});
    auto unit = driver.lockUnit();
    ErrorCase e = ErrorCase::Unset;
    driver.exeCommand(Command::StatusOfWeightChannel, e);
    ASSERT_EQ(e, ErrorCase::Correct);
    auto tare = std::async(std::launch::async, [this] {
        ErrorCase t = ErrorCase::Unset;
        driver.exeCommand(Command::SetTare, t);
        return t;
    });
    EXPECT_EQ(tare.wait_for(300ms), std::future_status::timeout) << "the tare ran inside the unit";
    EXPECT_EQ(driver.gettingParam(ParamType::Weight, e), "800");
    EXPECT_EQ(driver.gettingParam(ParamType::Tare, e), "0");
    unit.unlock();
    EXPECT_EQ(tare.get(), ErrorCase::Correct);
}

// The weight thread polls in units while another thread keeps pressing tare and zero: every
// unit reads what its own status command left, and the two threads never meet in the driver.
TEST_F(Facade, PollingAndTareZeroFromTwoThreads) {
    OpenOnScale({"weight 500", "stable 1"});
    std::atomic<bool> stop{false};
    std::thread keys([&] {
        for (int n = 0; !stop; ++n) {
            ErrorCase k = ErrorCase::Unset;
            driver.exeCommand(n % 2 == 0 ? Command::SetTare : Command::SetZero, k);
            std::this_thread::sleep_for(5ms);
        }
    });
    int units = 0;
    for (; units < 40; ++units) {
        auto unit = driver.lockUnit();
        ErrorCase e = ErrorCase::Unset;
        driver.exeCommand(Command::StatusOfWeightChannel, e);
        ASSERT_EQ(e, ErrorCase::Correct) << "unit " << units;
        for (ParamType p : {ParamType::Weight, ParamType::WeightState, ParamType::Tare}) {
            EXPECT_FALSE(driver.gettingParam(p, e).empty());
            EXPECT_EQ(e, ErrorCase::Correct) << "unit " << units;
        }
    }
    stop = true;
    keys.join();
    EXPECT_EQ(units, 40);
}

}  // namespace
