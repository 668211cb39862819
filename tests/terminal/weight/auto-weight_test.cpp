// The weight worker on its thread, through the real facade and driver, against scale-sim on a pty:
// what it adds to a decoded reading (overload from the maximum weight). The readings themselves are
// the driver's and reach the screen in the window suites.
#include <gtest/gtest.h>

#include <QtTest/QTest>
#include <optional>

#include "permanent.h"
#include "support/sim-process.h"
#include "weight-polling.h"

namespace {

using namespace Norvell::Balvex::CppWrapper;
using weighdesk::WeightChannelData;

// Above the maximum weight is overload only where the scale's maximum could be read (Pro). The flag
// comes from the same reading as the weight, so the first heavy reading decides.
TEST(AutoWeight, PosWeightAboveMaximumIsOverloadOnlyForPro) {
    for (const char* variant : {"--pro", "--plain"}) {
        testsupport::SimProcess sim({"--pty", "--protocol", "pos", variant});
        ASSERT_TRUE(sim.started());
        const int maxGrams = std::stoi(sim.Setting("max")) * 1000;
        sim.Control({"stable 1", "weight " + std::to_string(maxGrams + 1000)});
        // Opened with detection, as the search leaves the port.
        Driver& driver = Driver::getInstanceLib();
        ErrorCase error = ErrorCase::Correct;
        driver.setConnectionParam(LogicDeviceParamType::EndPoint, sim.endpoint(), error);
        driver.setConnectionParam(LogicDeviceParamType::Model, "auto", error);
        driver.setConnectionParam(LogicDeviceParamType::Protocol, "auto", error);
        driver.openPort(error);
        ASSERT_EQ(error, ErrorCase::Correct) << variant;
        std::optional<WeightChannelData> heavy;
        {  // the worker is gone before the port closes
            weighdesk::WeightPolling polling;
            QObject::connect(&polling, &weighdesk::WeightPolling::ready_data, [&](WeightChannelData data, ErrorCase e) {
                if (e == ErrorCase::Correct && data.weight * 1000 > maxGrams && !heavy) heavy = data;
            });
            polling.start();
            EXPECT_TRUE(QTest::qWaitFor([&] { return heavy.has_value(); }, 5000)) << variant;
        }
        driver.closePort(error);
        EXPECT_NEAR(heavy.value_or(WeightChannelData{}).weight, (maxGrams + 1000) / 1000.0, 1e-9) << variant;
        EXPECT_EQ(heavy.value_or(WeightChannelData{}).overload, std::string(variant) == "--pro") << variant;
    }
}

}  // namespace
