// Random faults, weight changes and readings against one simulator for a while: no reading may
// report a weight the scale never had, none may outlast its deadlines, and once the faults stop the
// next reading is correct and fresh. PONDERIX_SOAK_SECONDS sets the time per protocol (default 3),
// PONDERIX_SOAK_SEED repeats a run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "driver-scale.h"

namespace {

using driver::Command;
using driver::ErrorCase;
using Param = driver::ParamType;
using namespace e2e;

struct SoakRow {
    const char* name;
    const char* args;  // of the simulator
    std::string protocol;
    bool kilograms;                   // CAS reports kilograms, the others grams
    std::vector<std::string> faults;  // control lines, one drawn at a time
};

// OKA has no framing: stray bytes that happen to be digits read as a weight, so they are left out.
// CAS frames are read from their SOH STX, so digits before them are drawn too.
const std::vector<std::string> kPosFaults = {"corrupt-checksum", "silent 1",  "nak 1", "stray 3",
                                             "split 30",         "delay 900", "drop"};
const std::vector<std::string> kStreamFaults = {"corrupt-checksum", "silent 1",  "stray 3", "stray-digits 3",
                                                "split 30",         "delay 900", "drop"};
const std::vector<std::string> kCasFaults = [] {
    std::vector<std::string> faults = kStreamFaults;
    faults.push_back("nak 1");
    return faults;
}();

const std::vector<SoakRow> kRows = {
    {"POS2KProV1", "--tcp 127.0.0.1:0 --protocol pos --pro", "POS2KProV1", false, kPosFaults},
    {"CAS-K ProV1", "--tcp 127.0.0.1:0 --protocol cas --pro", "CAS-K ProV1", true, kCasFaults},
    {"CAS-K-Active", "--tcp 127.0.0.1:0 --protocol cas-active --plain --interval 40", "CAS-K-Active", true,
     kStreamFaults},
    {"OKA", "--tcp 127.0.0.1:0 --protocol oka --plain", "OKA", false, {"silent 1", "split 30", "delay 900", "drop"}},
    // Serial lines: a dropped pty comes back on a new path.
    {"POS2K on a pty", "--pty --protocol pos --plain", "POS2K", false, kPosFaults},
    {"CAS-K-Active on a pty", "--pty --protocol cas-active --plain --interval 40", "CAS-K-Active", true, kStreamFaults},
};

const std::vector<int> kWeights = {1234, 2001, 3456};
constexpr Ms kLateBy{900};  // the "delay" fault of the rows, past every read deadline

int EnvNumber(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::atoi(text) : fallback;
}

class Soak : public ::testing::TestWithParam<SoakRow> {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.started());
        sim.Control({"stable 1", "weight " + std::to_string(kWeights[0])});
        ASSERT_EQ(scale.DescribeAndOpen(ConnectionTo(sim, row().protocol)), ErrorCase::Correct);
    }

    const SoakRow& row() const { return GetParam(); }

    bool IsWeightOfTheScale(const std::string& text) const {
        for (const int grams : kWeights)
            if (text == WeightText(row().kilograms, grams)) return true;
        return false;
    }

    SimProcess sim{testsupport::Words(GetParam().args)};
    Scale scale;
};

TEST_P(Soak, RandomFaultsNeverGiveAWrongWeightOrHang) {
    const unsigned seed =
        static_cast<unsigned>(EnvNumber("PONDERIX_SOAK_SEED", static_cast<int>(std::random_device{}())));
    const auto runFor = std::chrono::seconds(EnvNumber("PONDERIX_SOAK_SECONDS", 3));
    SCOPED_TRACE("PONDERIX_SOAK_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);
    const auto draw = [&random](std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
    };

    std::map<std::string, int> codes;
    const auto start = Clock::now();
    while (Clock::now() - start < runFor) {
        if (draw(3) == 0) sim.Control({"weight " + std::to_string(kWeights[draw(kWeights.size())])});
        std::string fault;
        if (draw(3) == 0) {
            fault = row().faults[draw(row().faults.size())];
            sim.Control({fault});
        }

        const auto began = Clock::now();
        const ErrorCase code = scale.Run(Command::StatusOfWeightChannel);
        const Ms took = Since(began);
        ++codes[CodeName(code)];
        ASSERT_LT(took, 5000ms) << "after fault [" << fault << "]";
        if (code == ErrorCase::Correct) {
            const std::string weight = scale.Get(Param::Weight);
            ASSERT_TRUE(IsWeightOfTheScale(weight)) << "weight " << weight << " after fault [" << fault << "]";
        }

        sim.Control({"silent 0", "nak 0", "delay 0"});
        // A late answer has to land before the next request, or it is that request's answer: no
        // protocol here numbers its frames.
        if (fault.starts_with("delay")) {
            const Ms landed = kLateBy + 300ms;
            if (Since(began) < landed) std::this_thread::sleep_for(landed - Since(began));
        }
        // A dropped connection is the one fault the driver cannot mend by itself.
        if (fault == "drop") {
            scale.Close();
            ASSERT_EQ(scale.SetLogicParam(driver::LogicDeviceParamType::EndPoint, sim.CurrentEndpoint()),
                      ErrorCase::Correct);
            ASSERT_EQ(scale.Open(), ErrorCase::Correct);
        }
    }

    // Faults over: the next readings see the newest weight.
    sim.Control({"weight 2001"});
    if (row().protocol == "CAS-K-Active") std::this_thread::sleep_for(150ms);
    ErrorCase code = scale.Run(Command::StatusOfWeightChannel);
    if (code != ErrorCase::Correct) code = scale.Run(Command::StatusOfWeightChannel);  // a late reply's victim
    EXPECT_EQ(code, ErrorCase::Correct);
    EXPECT_EQ(scale.Get(Param::Weight), WeightText(row().kilograms, 2001));

    std::cout << row().name << ":";
    for (const auto& [name, count] : codes) std::cout << " " << name << " " << count;
    std::cout << std::endl;
}

void PrintTo(const SoakRow& row, std::ostream* out) {
    *out << row.name;
}

INSTANTIATE_TEST_SUITE_P(Protocols, Soak, ::testing::ValuesIn(kRows), RowName<SoakRow>);

}  // namespace
