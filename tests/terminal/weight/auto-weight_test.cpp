// The weight worker on its thread, through the real facade and driver, against scale-sim on a pty:
// readings follow the simulated scale's weight, tare, stability and unit, and overload.
#include <gtest/gtest.h>

#include <QtTest/QTest>
#include <functional>
#include <memory>

#include "permanent.h"
#include "support/sim-process.h"
#include "weight-polling.h"

using weighdesk::WeightChannelData;
using weighdesk::WeightPolling;

namespace {

using namespace Norvell::Balvex::CppWrapper;
using testsupport::SimProcess;

constexpr int kReadingTimeoutMs = 5000;

class AutoWeightTest : public testing::Test {
protected:
    void TearDown() override {
        polling_.reset();
        ErrorCase ignored = ErrorCase::Correct;
        Driver::getInstanceLib().closePort(ignored);
    }

    // Opens the simulator's pty with detection, as the search leaves it, and starts polling.
    void StartPolling(SimProcess& sim, const std::string& protocol = "auto") {
        ASSERT_TRUE(sim.started());
        Driver& driver = Driver::getInstanceLib();
        ErrorCase error = ErrorCase::Correct;
        driver.setConnectionParam(LogicDeviceParamType::EndPoint, sim.endpoint(), error);
        driver.setConnectionParam(LogicDeviceParamType::Model, "auto", error);
        driver.setConnectionParam(LogicDeviceParamType::Protocol, protocol, error);
        ASSERT_EQ(error, ErrorCase::Correct);
        driver.openPort(error);
        ASSERT_EQ(error, ErrorCase::Correct);
        last_ = WeightChannelData{.unit = -1};
        lastError_ = ErrorCase::Unset;
        polling_ = std::make_unique<WeightPolling>();
        QObject::connect(polling_.get(), &WeightPolling::ready_data,
                         [this](WeightChannelData data, ErrorCase e) { last_ = data, lastError_ = e; });
        polling_->start();
    }

    // The first reading that satisfies the condition, or the last one seen at the deadline.
    WeightChannelData AwaitReading(const std::function<bool(const WeightChannelData&)>& condition) {
        (void)QTest::qWaitFor([&] { return lastError_ == ErrorCase::Correct && condition(last_); }, kReadingTimeoutMs);
        return last_;
    }

    std::unique_ptr<WeightPolling> polling_;
    WeightChannelData last_;
    ErrorCase lastError_ = ErrorCase::Unset;
};

TEST_F(AutoWeightTest, PosReadingFollowsWeightTareAndStability) {
    SimProcess sim({"--pty", "--protocol", "pos"});
    sim.Control({"tare 200", "weight 1500", "stable 1"});
    ASSERT_NO_FATAL_FAILURE(StartPolling(sim));
    auto reading = AwaitReading([](auto& d) { return d.weight == 1.5; });
    EXPECT_EQ(reading.unit, 0);
    EXPECT_DOUBLE_EQ(reading.weight, 1.5);
    EXPECT_DOUBLE_EQ(reading.tare, 0.2);
    EXPECT_FALSE(reading.zero);
    EXPECT_FALSE(reading.unstable);

    sim.Control({"stable 0"});
    EXPECT_TRUE(AwaitReading([](auto& d) { return d.unstable; }).unstable);

    // Polling stopped and started again picks up where the scale is now.
    polling_->stop();
    sim.Control({"stable 1", "weight 0", "tare 0"});
    polling_->start();
    reading = AwaitReading([](auto& d) { return d.zero && !d.unstable; });
    EXPECT_TRUE(reading.zero);
    EXPECT_DOUBLE_EQ(reading.tare, 0.0);
}

TEST_F(AutoWeightTest, CasReadingFollowsUnitAndZero) {
    SimProcess sim({"--pty", "--protocol", "cas"});
    sim.Control({"unit kg", "weight 1500", "stable 1"});
    ASSERT_NO_FATAL_FAILURE(StartPolling(sim));
    auto reading = AwaitReading([](auto& d) { return d.weight == 1.5; });
    EXPECT_EQ(reading.unit, 0);
    EXPECT_FALSE(reading.unstable);
    EXPECT_FALSE(reading.zero);

    sim.Control({"unit g", "weight 125", "stable 0"});
    reading = AwaitReading([](auto& d) { return d.unit == 1; });
    EXPECT_DOUBLE_EQ(reading.weight, 125.0);
    EXPECT_TRUE(reading.unstable);

    sim.Control({"unit lb", "weight 0", "stable 1"});
    reading = AwaitReading([](auto& d) { return d.unit == 2 && d.zero; });
    EXPECT_EQ(reading.unit, 2);
    EXPECT_DOUBLE_EQ(reading.weight, 0.0);
    EXPECT_TRUE(reading.zero);
}

TEST_F(AutoWeightTest, CasOverloadFrameSetsOverload) {
    SimProcess sim({"--pty", "--protocol", "cas"});
    sim.Control({"weight 1000", "stable 1"});
    ASSERT_NO_FATAL_FAILURE(StartPolling(sim));
    EXPECT_FALSE(AwaitReading([](auto& d) { return d.weight == 1.0; }).overload);
    sim.Control({"overload 1"});
    EXPECT_TRUE(AwaitReading([](auto& d) { return d.overload; }).overload);
}

// Above the maximum weight is overload only where the scale's maximum could be read (Pro).
TEST_F(AutoWeightTest, PosWeightAboveMaximumIsOverloadOnlyForPro) {
    // The overload flag comes from the same reading as the weight, so the first heavy reading decides.
    for (const char* variant : {"--pro", "--plain"}) {
        SimProcess sim({"--pty", "--protocol", "pos", variant});
        const int maxGrams = std::stoi(sim.Setting("max")) * 1000;
        sim.Control({"stable 1", "weight " + std::to_string(maxGrams + 1000)});
        ASSERT_NO_FATAL_FAILURE(StartPolling(sim));
        const auto reading = AwaitReading([&](auto& d) { return d.weight * 1000 > maxGrams; });
        EXPECT_NEAR(reading.weight, (maxGrams + 1000) / 1000.0, 1e-9) << variant;
        EXPECT_EQ(reading.overload, std::string(variant) == "--pro") << variant;
        TearDown();
    }
}

// A protocol the worker does not poll ends it at once, and the timer with it.
TEST_F(AutoWeightTest, ScaleOutsideThePolledFamiliesEndsPolling) {
    SimProcess sim({"--pty", "--protocol", "oka"});
    ASSERT_NO_FATAL_FAILURE(StartPolling(sim, "OKA"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !polling_->isRunning(); }, 2000));
    EXPECT_EQ(lastError_, ErrorCase::Unset);
}

}  // namespace
