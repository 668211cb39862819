// libdriver.so through its exports against the scale simulator: protocol detection, the weight
// channel of every retail protocol, zero and tare, the service settings and calibration.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "sim-process.h"
#include "support/temp-dir.h"

namespace {

using driver::Command;
using driver::ErrorCase;
using Param = driver::ParamType;
using LogicParam = driver::LogicDeviceParamType;
using namespace e2e;

// The model name the simulator's default settings (mode A7, max 015, div 1) compose to.
const std::string kDefaultModel = "K-ZA A7-15.2 III(средний)";

const std::vector<std::string> kPosPlain = {"--protocol", "pos", "--plain"};
const std::vector<std::string> kPosPro = {"--protocol", "pos", "--pro"};
const std::vector<std::string> kCasPlain = {"--protocol", "cas", "--plain"};
const std::vector<std::string> kCasPro = {"--protocol", "cas", "--pro"};
const std::vector<std::string> kCasActive = {"--protocol", "cas-active", "--plain", "--interval", "50"};
const std::vector<std::string> kOka = {"--protocol", "oka", "--plain"};

std::vector<std::string> OverTcp(std::vector<std::string> args) {
    args.insert(args.begin(), {"--tcp", "127.0.0.1:0"});
    return args;
}

// A simulator and one device of the driver connected to it; the device goes first.
struct Rig {
    explicit Rig(const std::vector<std::string>& args, const std::string& errorLog = "") : sim(args, errorLog) {}
    ErrorCase Open(const std::string& protocol, const std::string& model = "auto") {
        return scale.DescribeAndOpen(ConnectionTo(sim, protocol, model));
    }
    SimProcess sim;
    Scale scale;
};

bool HasField(const std::string& status, const std::string& field) {
    return (" " + status + " ").find(" " + field + " ") != std::string::npos;
}

// ---- Detection -------------------------------------------------------------------------------

struct DetectionCase {
    const char* name;
    std::vector<std::string> args;
    std::string protocol;
    bool pro;
};

void PrintTo(const DetectionCase& c, std::ostream* out) {
    *out << c.name;
}

class Detection : public ::testing::TestWithParam<DetectionCase> {};

TEST_P(Detection, StoresDetectedProtocolAndComposedModel) {
    const DetectionCase& c = GetParam();
    Rig rig(c.args);
    ASSERT_TRUE(rig.sim.started());

    ASSERT_EQ(rig.Open("auto"), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Protocol(), c.protocol);
    EXPECT_EQ(rig.scale.LogicParam(LogicParam::Protocol), c.protocol);
    if (c.pro) {
        EXPECT_EQ(rig.scale.Get(Param::ScalesModel), kDefaultModel);
        EXPECT_EQ(rig.scale.LogicParam(LogicParam::Model), kDefaultModel);
    } else {
        EXPECT_EQ(rig.scale.LogicParam(LogicParam::Model), "auto");
    }

    // The next open uses the stored protocol and model as they are.
    rig.sim.Control({"weight 321"});
    ASSERT_EQ(rig.scale.Open(), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Protocol(), c.protocol);
    ASSERT_EQ(rig.scale.Run(Command::StatusOfWeightChannel), ErrorCase::Correct);
    EXPECT_TRUE(rig.scale.Get(Param::Weight) == "321" || rig.scale.Get(Param::Weight) == "0.321")
        << rig.scale.Get(Param::Weight);
}

INSTANTIATE_TEST_SUITE_P(Scales, Detection,
                         ::testing::Values(DetectionCase{"PosPlain", kPosPlain, "POS2K", false},
                                           DetectionCase{"PosPro", kPosPro, "POS2KProV1", true},
                                           DetectionCase{"CasPlain", kCasPlain, "CAS-K", false},
                                           DetectionCase{"CasPro", kCasPro, "CAS-K ProV1", true},
                                           DetectionCase{"PosProOverTcp", OverTcp(kPosPro), "POS2KProV1", true}),
                         [](const auto& info) { return info.param.name; });

// ---- The weight channel ----------------------------------------------------------------------

struct Reading {
    std::vector<std::string> controls;
    std::string weight;
    std::string tare;  // empty: the protocol reports none worth checking
    std::string state;
    std::string unit;
};

struct ChannelCase {
    const char* name;
    std::vector<std::string> args;
    std::string protocol;
    std::vector<Reading> readings;
};

void PrintTo(const ChannelCase& c, std::ostream* out) {
    *out << c.name;
}

class WeightChannel : public ::testing::TestWithParam<ChannelCase> {};

TEST_P(WeightChannel, ReportsWeightTareStateAndUnit) {
    const ChannelCase& c = GetParam();
    Rig rig(c.args);
    ASSERT_TRUE(rig.sim.started());
    ASSERT_EQ(rig.Open(c.protocol), ErrorCase::Correct);

    for (const Reading& r : c.readings) {
        // Frames of the previous state wait in the line: the reading must not be one of them.
        if (c.protocol == "CAS-K-Active") std::this_thread::sleep_for(150ms);
        std::string controls;
        for (const std::string& line : r.controls) {
            ASSERT_EQ(rig.sim.Send(line), "ok") << line;
            controls += line + "; ";
        }
        SCOPED_TRACE(controls);
        // A streaming scale needs a frame sent after the change.
        if (c.protocol == "CAS-K-Active") std::this_thread::sleep_for(150ms);

        ASSERT_EQ(rig.scale.Run(Command::StatusOfWeightChannel), ErrorCase::Correct);
        EXPECT_EQ(rig.scale.Get(Param::Weight), r.weight);
        if (!r.tare.empty()) {
            EXPECT_EQ(rig.scale.Get(Param::Tare), r.tare);
        }
        EXPECT_EQ(rig.scale.Get(Param::WeightState), r.state);
        EXPECT_EQ(rig.scale.Get(Param::UnitOfMeasure), r.unit);
    }
}

// POS state text: bits 0..7 of the first state byte, then bits 7 and 6 of the second.
const std::vector<Reading> kPosReadings = {
    {{"weight 1234", "tare 100", "stable 1"}, "1234", "100", "1010100001", "gr"},
    {{"weight -250", "tare 0", "stable 0"}, "-250", "0", "0010000000", "gr"},
    {{"weight 0", "stable 1"}, "0", "0", "1110100000", "gr"},
    {{"weight 15000", "tare 65535", "overload 1"}, "15000", "65535", "1010100111", "gr"},
};

// CAS: the weight as the display shows it in the scale's unit; no tare.
const std::vector<Reading> kCasReadings = {
    {{"weight 1234", "stable 1"}, "1.234", "", "1***1*0***", "kg"},
    {{"weight -12500", "stable 0"}, "-12.500", "", "0***0*0***", "kg"},
    {{"weight 700", "stable 1", "overload 1"}, "0.700", "", "0***0*1***", "kg"},
    {{"overload 0", "unit g", "weight 1234"}, "1234", "", "1***1*0***", "g"},
    {{"unit lb", "weight 1000"}, "2.20", "", "1***1*0***", "lb"},
};

// OKA: the net weight, the flag byte, and the tare derived from the gross sum.
const std::vector<Reading> kOkaReadings = {
    {{"weight 1234", "tare 500", "stable 1"}, "1234", "500", "0x00", "kg"},
    {{"weight 42", "tare 0", "stable 0"}, "42", "0", "0x01", "kg"},
    {{"weight 250", "stable 1", "overload 1"}, "0", "", "0x40", "kg"},
    {{"overload 0", "weight -250"}, "250", "0", "0x80", "kg"},
};

INSTANTIATE_TEST_SUITE_P(Scales, WeightChannel,
                         ::testing::Values(ChannelCase{"PosPlain", kPosPlain, "POS2K", kPosReadings},
                                           ChannelCase{"PosProOverTcp", OverTcp(kPosPro), "POS2KProV1", kPosReadings},
                                           ChannelCase{"CasPlain", kCasPlain, "CAS-K", kCasReadings},
                                           ChannelCase{"CasPro", kCasPro, "CAS-K ProV1", kCasReadings},
                                           ChannelCase{"CasActive", kCasActive, "CAS-K-Active", kCasReadings},
                                           ChannelCase{"Oka", kOka, "OKA", kOkaReadings}),
                         [](const auto& info) { return info.param.name; });

// ---- Zero and tare ---------------------------------------------------------------------------

TEST(ZeroAndTare, PosProTaresSpecifiesAndZeroes) {
    Rig rig(kPosPro);
    ASSERT_EQ(rig.Open("POS2KProV1"), ErrorCase::Correct);
    rig.sim.Control({"weight 700", "tare 0", "stable 1"});

    ASSERT_EQ(rig.scale.Run(Command::SetTare), ErrorCase::Correct);
    EXPECT_TRUE(HasField(rig.sim.Send("status"), "tare=700"));

    ASSERT_EQ(rig.scale.Set(Param::Tare, "500"), ErrorCase::Correct);
    ASSERT_EQ(rig.scale.Run(Command::SpecifyTare), ErrorCase::Correct);
    ASSERT_EQ(rig.scale.Run(Command::StatusOfWeightChannel), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Get(Param::Weight), "200");  // the gross 700 stays on the platform
    EXPECT_EQ(rig.scale.Get(Param::Tare), "500");

    ASSERT_EQ(rig.scale.Run(Command::SetZero), ErrorCase::Correct);
    ASSERT_EQ(rig.scale.Run(Command::StatusOfWeightChannel), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Get(Param::Weight), "0");
    EXPECT_EQ(rig.scale.Get(Param::Tare), "0");
}

TEST(ZeroAndTare, PosPlainRefusesSpecifyTare) {
    Rig rig(kPosPlain);
    ASSERT_EQ(rig.Open("POS2K"), ErrorCase::Correct);
    ASSERT_EQ(rig.scale.Set(Param::Tare, "500"), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Run(Command::SpecifyTare), ErrorCase::CommandUnsupported);
    EXPECT_TRUE(HasField(rig.sim.Send("status"), "tare=0"));
}

TEST(ZeroAndTare, CasTaresAndZeroesWithoutAnswer) {
    Rig rig(kCasPlain);
    ASSERT_EQ(rig.Open("CAS-K"), ErrorCase::Correct);
    rig.sim.Control({"weight 700"});

    ASSERT_EQ(rig.scale.Run(Command::SetTare), ErrorCase::Correct);
    ASSERT_EQ(rig.scale.Run(Command::StatusOfWeightChannel), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Get(Param::Weight), "0.000");
    EXPECT_TRUE(HasField(rig.sim.Send("status"), "tare=700"));

    ASSERT_EQ(rig.scale.Run(Command::SetZero), ErrorCase::Correct);
    ASSERT_EQ(rig.scale.Run(Command::StatusOfWeightChannel), ErrorCase::Correct);
    EXPECT_TRUE(HasField(rig.sim.Send("status"), "tare=0"));
    EXPECT_EQ(rig.scale.Run(Command::SpecifyTare), ErrorCase::CommandUnsupported);
}

TEST(ZeroAndTare, OkaSpecifiesTareAndZeroes) {
    Rig rig(kOka);
    ASSERT_EQ(rig.Open("OKA"), ErrorCase::Correct);
    rig.sim.Control({"weight 1234", "tare 0", "stable 1"});

    ASSERT_EQ(rig.scale.Set(Param::Tare, "500"), ErrorCase::Correct);
    ASSERT_EQ(rig.scale.Run(Command::SpecifyTare), ErrorCase::Correct);
    ASSERT_EQ(rig.scale.Run(Command::StatusOfWeightChannel), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Get(Param::Weight), "734");
    EXPECT_EQ(rig.scale.Get(Param::Tare), "500");

    ASSERT_EQ(rig.scale.Run(Command::SetZero), ErrorCase::Correct);
    ASSERT_EQ(rig.scale.Run(Command::StatusOfWeightChannel), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Get(Param::Weight), "0");
    EXPECT_EQ(rig.scale.Get(Param::Tare), "0");
    EXPECT_EQ(rig.scale.Run(Command::SetTare), ErrorCase::CommandUnsupported);
}

TEST(ZeroAndTare, CasActiveRefusesZeroAndTare) {
    Rig rig(kCasActive);
    ASSERT_EQ(rig.Open("CAS-K-Active"), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Run(Command::SetZero), ErrorCase::CommandUnsupported);
    EXPECT_EQ(rig.scale.Run(Command::SetTare), ErrorCase::CommandUnsupported);
    EXPECT_EQ(rig.scale.Run(Command::SpecifyTare), ErrorCase::CommandUnsupported);
}

// ---- Service settings ------------------------------------------------------------------------

struct NativeRead {
    Command command;
    Param type;
    const char* key;
};

struct NativeWrite {
    Command set;
    Command get;  // Command::Unset: the setting has no read command
    Param type;
    const char* key;
    const char* value;
};

class ServiceSettings : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rig.sim.started());
        ASSERT_EQ(rig.Open("POS2KProV1"), ErrorCase::Correct);
    }
    Rig rig{kPosPro};
};

TEST_F(ServiceSettings, EveryReadReturnsTheScalesValue) {
    const NativeRead reads[] = {
        {Command::GetFirmwareVersion1, Param::FirmwareVersion1, "ver1"},
        {Command::GetFirmwareVersion2, Param::FirmwareVersion2, "ver2"},
        {Command::GetProtocolVersion, Param::ProtocolVersion, "prov"},
        {Command::GetSerialNumber, Param::SerialNumber, "sern"},
        {Command::GetMaxWeight, Param::MaxWeight, "max"},
        {Command::GetDiscret, Param::Discret, "div"},
        {Command::GetValueOfAutoSetToZero, Param::ValueOfAutoSetToZero, "azr"},
        {Command::GetTimeOfAutoSetToZero, Param::TimeOfAutoSetToZero, "azt"},
        {Command::GetRangeOfAutoSetToZero, Param::RangeOfAutoSetToZero, "pzr"},
        {Command::GetRangeOfKeyToZero, Param::RangeOfKeyToZero, "kzr"},
        {Command::GetRangeOfTare, Param::RangeOfTare, "ktr"},
        {Command::GetRangeOfOverloads, Param::RangeOfOverloads, "ovr"},
        {Command::GetAutoOff, Param::AutoOff, "off"},
        {Command::GetLightLevel, Param::LightLevel, "bkl"},
        {Command::GetWeightCalibration, Param::WeightCalibration, "cal"},
        {Command::GetCountOfCalibration, Param::CountOfCalibration, "cnt"},
        {Command::GetModeOfCalibration, Param::ModeOfCalibration, "modc"},
        {Command::GetUnitOfMeasure, Param::UnitOfMeasure, "u2en"},
        {Command::GetUnitOfMeasure2, Param::UnitOfMeasure, "u3en"},
        {Command::GetPowerSavingMode, Param::PowerSavingMode, "sav"},
    };
    // Distinct values, so a read answered from the wrong key shows.
    int n = 0;
    for (const char* key :
         {"ver1", "sern", "azr", "azt", "pzr", "kzr", "ktr", "ovr", "off", "bkl", "modc", "u2en", "u3en", "sav", "cnt"})
        rig.sim.Control({"set " + std::string(key) + " " + std::to_string(40 + n++)});

    for (const NativeRead& r : reads) {
        SCOPED_TRACE(r.key);
        const std::string expected = rig.sim.Setting(r.key);
        ASSERT_EQ(rig.scale.Run(r.command), ErrorCase::Correct);
        EXPECT_EQ(rig.scale.Get(r.type), expected);
    }
    ASSERT_EQ(rig.scale.Run(Command::GetScalesModel), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Get(Param::ScalesModel), kDefaultModel);
}

TEST_F(ServiceSettings, EveryWriteRoundTrips) {
    const NativeWrite writes[] = {
        {Command::SetFirmwareVersion1, Command::GetFirmwareVersion1, Param::FirmwareVersion1, "ver1", "ZA02"},
        {Command::SetSerialNumber, Command::GetSerialNumber, Param::SerialNumber, "sern", "87654321"},
        {Command::SetMaxWeight, Command::GetMaxWeight, Param::MaxWeight, "max", "030"},
        {Command::SetDiscret, Command::GetDiscret, Param::Discret, "div", "2"},
        {Command::SetValueOfAutoSetToZero, Command::GetValueOfAutoSetToZero, Param::ValueOfAutoSetToZero, "azr", "0"},
        {Command::SetTimeOfAutoSetToZero, Command::GetTimeOfAutoSetToZero, Param::TimeOfAutoSetToZero, "azt", "4"},
        {Command::SetRangeOfAutoSetToZero, Command::GetRangeOfAutoSetToZero, Param::RangeOfAutoSetToZero, "pzr", "3"},
        {Command::SetRangeOfKeyToZero, Command::GetRangeOfKeyToZero, Param::RangeOfKeyToZero, "kzr", "5"},
        {Command::SetRangeOfTare, Command::GetRangeOfTare, Param::RangeOfTare, "ktr", "6"},
        {Command::SetRangeOfOverloads, Command::GetRangeOfOverloads, Param::RangeOfOverloads, "ovr", "7"},
        {Command::SetAutoOff, Command::GetAutoOff, Param::AutoOff, "off", "8"},
        {Command::SetLightLevel, Command::GetLightLevel, Param::LightLevel, "bkl", "1"},
        {Command::SetWeightCalibration, Command::GetWeightCalibration, Param::WeightCalibration, "cal", "0030"},
        {Command::SetModeOfCalibration, Command::GetModeOfCalibration, Param::ModeOfCalibration, "modc", "1"},
        {Command::SetUnitOfMeasure, Command::GetUnitOfMeasure, Param::UnitOfMeasure, "u2en", "1"},
        {Command::SetUnitOfMeasure2, Command::GetUnitOfMeasure2, Param::UnitOfMeasure, "u3en", "2"},
        {Command::SetPowerSavingMode, Command::GetPowerSavingMode, Param::PowerSavingMode, "sav", "1"},
        {Command::SetCell1, Command::Unset, Param::Cell, "cell1", "11"},
        {Command::SetCell2, Command::Unset, Param::Cell, "cell2", "12"},
        {Command::SetScalesModel, Command::Unset, Param::ScalesModel, "mode", "A15"},
    };
    for (const NativeWrite& w : writes) {
        SCOPED_TRACE(w.key);
        ASSERT_EQ(rig.scale.Set(w.type, w.value), ErrorCase::Correct);
        ASSERT_EQ(rig.scale.Run(w.set), ErrorCase::Correct);
        EXPECT_EQ(rig.sim.Setting(w.key), w.value);
        if (w.get == Command::Unset) continue;
        ASSERT_EQ(rig.scale.Run(w.get), ErrorCase::Correct);
        EXPECT_EQ(rig.scale.Get(w.type), w.value);
    }
    // The model name is composed from what was just written.
    ASSERT_EQ(rig.scale.Run(Command::GetScalesModel), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Get(Param::ScalesModel), "K-ZA A15-30.5 III(средний)");
}

TEST_F(ServiceSettings, RefusedWriteIsReportedAndChangesNothing) {
    ASSERT_EQ(rig.scale.Set(Param::Discret, "9"), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Run(Command::SetDiscret), ErrorCase::DeviceReturnsError);
    EXPECT_EQ(rig.sim.Setting("div"), "1");
}

TEST_F(ServiceSettings, ActionsReachTheScale) {
    rig.sim.Control({"stable 1", "weight 500", "tare 300"});
    EXPECT_EQ(rig.scale.Run(Command::SetCountOfCalibration), ErrorCase::Correct);
    EXPECT_EQ(rig.sim.Setting("cnt"), "1");
    EXPECT_EQ(rig.scale.Run(Command::ZeroScaleCalibration), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Run(Command::WeightScaleCalibration), ErrorCase::Correct);

    EXPECT_EQ(rig.scale.Run(Command::Reboot), ErrorCase::Correct);
    EXPECT_TRUE(HasField(rig.sim.Send("status"), "tare=0"));
    rig.sim.Control({"weight 500", "tare 300"});
    EXPECT_EQ(rig.scale.Run(Command::Init), ErrorCase::Correct);
    const std::string status = rig.sim.Send("status");
    EXPECT_TRUE(HasField(status, "weight=0") && HasField(status, "tare=0")) << status;

    // Calibration steps need a stable platform; the scale refuses them otherwise.
    rig.sim.Control({"stable 0"});
    EXPECT_EQ(rig.scale.Run(Command::ZeroScaleCalibration), ErrorCase::DeviceReturnsError);
}

// Every byte the simulator received, from the "rx:" lines of its --log output.
std::string ReceivedBytes(const std::filesystem::path& log) {
    std::ifstream in(log);
    std::string bytes;
    for (std::string line; std::getline(in, line);) {
        const auto at = line.find("rx: ");
        if (at == std::string::npos) continue;
        std::istringstream hex(line.substr(at + 4));
        for (unsigned value = 0; hex >> std::hex >> value;) bytes += static_cast<char>(value);
    }
    return bytes;
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

TEST(Calibration, WeightCalibrationWaitsForStableWeight) {
    testsupport::TempDir dir;
    const auto log = dir.path() / "sim.log";
    Rig rig({"--protocol", "pos", "--pro", "--log"}, log.string());
    ASSERT_EQ(rig.Open("POS2KProV1"), ErrorCase::Correct);
    const std::string statusRequest = "\x02\x05:0030<";

    rig.sim.Control({"stable 1", "weight 0"});
    ASSERT_EQ(rig.scale.Set(Param::WeightScaleCalibrationParameters, "5"), ErrorCase::Correct);
    ASSERT_EQ(rig.scale.Run(Command::SetWeightScaleCalibrationParameters), ErrorCase::Correct);
    EXPECT_EQ(rig.sim.Setting("cal"), "5");
    EXPECT_EQ(rig.sim.Setting("cnt"), "1");
    EXPECT_EQ(Occurrences(ReceivedBytes(log), statusRequest), 1u);

    // Unstable through ten readings: the calibration request is never sent.
    rig.sim.Control({"stable 0"});
    ASSERT_EQ(rig.scale.Set(Param::WeightScaleCalibrationParameters, "7"), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Run(Command::SetWeightScaleCalibrationParameters), ErrorCase::DeviceIsNotStabilized);
    EXPECT_EQ(rig.sim.Setting("cal"), "5");
    EXPECT_EQ(rig.sim.Setting("cnt"), "1");
    const std::string received = ReceivedBytes(log);
    EXPECT_EQ(Occurrences(received, statusRequest), 11u);
    EXPECT_EQ(Occurrences(received, "Swcal7"), 0u);
}

// ---- Protocol switch and model check ---------------------------------------------------------

TEST(ProtocolSwitch, ReopenWithAutoFindsTheOtherFamily) {
    Rig rig(kPosPro);
    ASSERT_EQ(rig.Open("auto"), ErrorCase::Correct);
    ASSERT_EQ(rig.scale.Protocol(), "POS2KProV1");

    for (const auto& [version, detected] : {std::pair{"0", "CAS-K ProV1"}, std::pair{"1", "POS2KProV1"}}) {
        SCOPED_TRACE(version);
        ASSERT_EQ(rig.scale.Set(Param::ProtocolVersion, version), ErrorCase::Correct);
        ASSERT_EQ(rig.scale.Run(Command::SetProtocolVersion), ErrorCase::Correct);
        EXPECT_EQ(rig.sim.Setting("prov"), version);

        ASSERT_EQ(rig.scale.SetLogicParam(driver::LogicDeviceParamType::Protocol, "auto"), ErrorCase::Correct);
        ASSERT_EQ(rig.scale.Open(), ErrorCase::Correct);
        EXPECT_EQ(rig.scale.Protocol(), detected);
        EXPECT_EQ(rig.scale.LogicParam(LogicParam::Protocol), detected);
        EXPECT_EQ(rig.scale.Run(Command::StatusOfWeightChannel), ErrorCase::Correct);
    }
}

TEST(ModelCheck, ConfiguredModelMustMatchTheScale) {
    Rig rig(kPosPro);
    ASSERT_EQ(rig.Open("POS2KProV1", "A15"), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Run(Command::StatusOfWeightChannel), ErrorCase::WrongModelChosen);
    EXPECT_EQ(rig.scale.Run(Command::GetSerialNumber), ErrorCase::WrongModelChosen);

    Scale matching;
    ASSERT_EQ(matching.DescribeAndOpen(ConnectionTo(rig.sim, "POS2KProV1", "A7")), ErrorCase::ConnectionError)
        << "the port is held by the first device";
    ASSERT_EQ(rig.scale.Close(), ErrorCase::Correct);
    ASSERT_EQ(matching.Open(), ErrorCase::Correct);
    EXPECT_EQ(matching.Run(Command::StatusOfWeightChannel), ErrorCase::Correct);
}

TEST(ModelCheck, PlainScaleFailsAModelWithDigits) {
    Rig rig(kPosPlain);
    ASSERT_EQ(rig.Open("POS2K", "A7"), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Run(Command::StatusOfWeightChannel), ErrorCase::WrongModelChosen);
}

}  // namespace
