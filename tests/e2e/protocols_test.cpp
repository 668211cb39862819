// libdriver.so through its exports against the scale simulator: protocol detection, the weight
// channel of every retail protocol, zero and tare, the service settings and calibration.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
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

enum class Kind { Read, Write, Action };

// One row of the native command table: what the scale receives, and the value written or read.
struct NativeRow {
    Command command;
    Kind kind;
    std::string sent;
    Param type = Param::Unset;
    const char* key = "";    // the simulator's setting behind the value
    const char* value = "";  // the value written; a read expects the simulator's setting
};

class ServiceSettings : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rig.sim.started());
        ASSERT_EQ(rig.Open("POS2KProV1"), ErrorCase::Correct);
    }
    // Bytes the simulator received since the last call.
    std::string NewlyReceived() {
        const std::string all = ReceivedBytes(log);
        std::string fresh = all.substr(std::min(seen, all.size()));
        seen = all.size();
        return fresh;
    }
    testsupport::TempDir dir;
    std::filesystem::path log = dir.path() / "sim.log";
    Rig rig{{"--protocol", "pos", "--pro", "--log"}, log.string()};
    std::size_t seen = 0;
};

NativeRow Read(Command command, Param type, const char* key) {
    return {command, Kind::Read, "G" + std::string(key) + "\r\n", type, key};
}
NativeRow Write(Command command, Param type, const char* key, const char* value) {
    return {command, Kind::Write, "S" + std::string(key) + value + "\r\n", type, key, value};
}
NativeRow Action(Command command, const char* sent) {
    return {command, Kind::Action, sent};
}

// Every row of the native table, in an order the simulator's state allows.
std::vector<NativeRow> NativeTable() {
    using C = Command;
    using P = Param;
    return {
        {C::GetScalesModel, Kind::Read, "Gmode\r\nGmax\r\nGdiv\r\nGprov\r\n", P::ScalesModel},
        Read(C::GetFirmwareVersion1, P::FirmwareVersion1, "ver1"),
        Read(C::GetFirmwareVersion2, P::FirmwareVersion2, "ver2"),
        Read(C::GetProtocolVersion, P::ProtocolVersion, "prov"),
        Read(C::GetSerialNumber, P::SerialNumber, "sern"),
        Read(C::GetMaxWeight, P::MaxWeight, "max"),
        Read(C::GetDiscret, P::Discret, "div"),
        Read(C::GetValueOfAutoSetToZero, P::ValueOfAutoSetToZero, "azr"),
        Read(C::GetTimeOfAutoSetToZero, P::TimeOfAutoSetToZero, "azt"),
        Read(C::GetRangeOfAutoSetToZero, P::RangeOfAutoSetToZero, "pzr"),
        Read(C::GetRangeOfKeyToZero, P::RangeOfKeyToZero, "kzr"),
        Read(C::GetRangeOfTare, P::RangeOfTare, "ktr"),
        Read(C::GetRangeOfOverloads, P::RangeOfOverloads, "ovr"),
        Read(C::GetAutoOff, P::AutoOff, "off"),
        Read(C::GetLightLevel, P::LightLevel, "bkl"),
        Read(C::GetWeightCalibration, P::WeightCalibration, "cal"),
        Read(C::GetCountOfCalibration, P::CountOfCalibration, "cnt"),
        Read(C::GetModeOfCalibration, P::ModeOfCalibration, "modc"),
        Read(C::GetUnitOfMeasure, P::UnitOfMeasure, "u2en"),
        Read(C::GetUnitOfMeasure2, P::UnitOfMeasure, "u3en"),
        Read(C::GetPowerSavingMode, P::PowerSavingMode, "sav"),
        // "@" in a value is not a placeholder: the value is put in once.
        Write(C::SetScalesModel, P::ScalesModel, "mode", "A@1"),
        Write(C::SetFirmwareVersion1, P::FirmwareVersion1, "ver1", "ZA02"),
        Write(C::SetProtocolVersion, P::ProtocolVersion, "prov", "1"),
        Write(C::SetSerialNumber, P::SerialNumber, "sern", "87654321"),
        Write(C::SetMaxWeight, P::MaxWeight, "max", "030"),
        Write(C::SetDiscret, P::Discret, "div", "2"),
        Write(C::SetValueOfAutoSetToZero, P::ValueOfAutoSetToZero, "azr", "0"),
        Write(C::SetTimeOfAutoSetToZero, P::TimeOfAutoSetToZero, "azt", "4"),
        Write(C::SetRangeOfAutoSetToZero, P::RangeOfAutoSetToZero, "pzr", "3"),
        Write(C::SetRangeOfKeyToZero, P::RangeOfKeyToZero, "kzr", "5"),
        Write(C::SetRangeOfTare, P::RangeOfTare, "ktr", "6"),
        Write(C::SetRangeOfOverloads, P::RangeOfOverloads, "ovr", "7"),
        Write(C::SetAutoOff, P::AutoOff, "off", "8"),
        Write(C::SetLightLevel, P::LightLevel, "bkl", "1"),
        Write(C::SetWeightCalibration, P::WeightCalibration, "cal", "0030"),
        Write(C::SetModeOfCalibration, P::ModeOfCalibration, "modc", "1"),
        Write(C::SetUnitOfMeasure, P::UnitOfMeasure, "u2en", "1"),
        Write(C::SetUnitOfMeasure2, P::UnitOfMeasure, "u3en", "2"),
        Write(C::SetPowerSavingMode, P::PowerSavingMode, "sav", "1"),
        Write(C::SetCell1, P::Cell, "cell1", "11"),
        Write(C::SetCell2, P::Cell, "cell2", "12"),
        // Sent once the platform is stable, which one POS reading (ENQ, then the status request) confirms.
        {C::SetWeightScaleCalibrationParameters, Kind::Write, "\x05\x02\x05:0030<Swcal5\r\n",
         P::WeightScaleCalibrationParameters, "cal", "5"},
        Action(C::ZeroScaleCalibration, "Szcal\r\n"),
        Action(C::WeightScaleCalibration, "Swcal\r\n"),
        // The scale counts calibrations itself: a value given is not sent.
        Action(C::SetCountOfCalibration, "Scnt\r\n"),
        Action(C::Reboot, "Srst\r\n"),
        Action(C::Init, "Sinit\r\n"),
    };
}

TEST_F(ServiceSettings, EveryNativeCommandSendsItsTextAndParsesItsReply) {
    const std::vector<NativeRow> table = NativeTable();
    std::set<Command> commands;
    for (const NativeRow& row : table) commands.insert(row.command);
    ASSERT_EQ(commands.size(), 48u);

    // Distinct values, so a read answered from the wrong key shows.
    int n = 0;
    for (const char* key :
         {"ver1", "sern", "azr", "azt", "pzr", "kzr", "ktr", "ovr", "off", "bkl", "modc", "u2en", "u3en", "sav", "cnt"})
        rig.sim.Control({"set " + std::string(key) + " " + std::to_string(40 + n++)});
    rig.sim.Control({"stable 1"});
    ASSERT_EQ(rig.scale.Set(Param::CountOfCalibration, "7"), ErrorCase::Correct);
    NewlyReceived();

    for (const NativeRow& row : table) {
        SCOPED_TRACE(row.sent);
        const std::string expected = row.kind == Kind::Read && *row.key ? rig.sim.Setting(row.key) : row.value;
        if (row.kind == Kind::Write) ASSERT_EQ(rig.scale.Set(row.type, row.value), ErrorCase::Correct);
        ASSERT_EQ(rig.scale.Run(row.command), ErrorCase::Correct);
        EXPECT_EQ(NewlyReceived(), row.sent);
        if (row.kind == Kind::Read) EXPECT_EQ(rig.scale.Get(row.type), *row.key ? expected : kDefaultModel);
        if (row.kind == Kind::Write) EXPECT_EQ(rig.sim.Setting(row.key), row.value);
    }
}

TEST_F(ServiceSettings, RefusedWriteIsReportedAndChangesNothing) {
    ASSERT_EQ(rig.scale.Set(Param::Discret, "9"), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Run(Command::SetDiscret), ErrorCase::DeviceReturnsError);
    EXPECT_EQ(rig.sim.Setting("div"), "1");
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
    // The scale's answer does not overwrite the choice, so the next open refuses it again.
    EXPECT_EQ(rig.scale.LogicParam(LogicParam::Model), "A15");
    ASSERT_EQ(rig.scale.Open(), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Run(Command::StatusOfWeightChannel), ErrorCase::WrongModelChosen);

    Scale matching;
    ASSERT_EQ(matching.DescribeAndOpen(ConnectionTo(rig.sim, "POS2KProV1", "A7")), ErrorCase::ConnectionError)
        << "the port is held by the first device";
    ASSERT_EQ(rig.scale.Close(), ErrorCase::Correct);
    ASSERT_EQ(matching.Open(), ErrorCase::Correct);
    EXPECT_EQ(matching.Run(Command::StatusOfWeightChannel), ErrorCase::Correct);
    EXPECT_EQ(matching.LogicParam(LogicParam::Model), kDefaultModel);
}

TEST(ModelCheck, PlainScaleFailsAModelWithDigits) {
    Rig rig(kPosPlain);
    ASSERT_EQ(rig.Open("POS2K", "A7"), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Run(Command::StatusOfWeightChannel), ErrorCase::WrongModelChosen);
}

// A reading waits for one whole frame, so any stream within the read deadline is read every time.
TEST(CasActiveStream, EveryReadingSucceedsUpToFourHundredFiftyMsBetweenFrames) {
    for (const char* interval : {"100", "300", "450"}) {
        SCOPED_TRACE(interval);
        Rig rig({"--protocol", "cas-active", "--plain", "--interval", interval});
        ASSERT_EQ(rig.Open("CAS-K-Active"), ErrorCase::Correct);
        for (int reading = 0; reading < 3; ++reading)
            EXPECT_EQ(rig.scale.Run(Command::StatusOfWeightChannel), ErrorCase::Correct);
    }
}

// ---- Opening ---------------------------------------------------------------------------------

TEST(Open, ARefusedOpenLeavesNoConnectionBehind) {
    testsupport::TempDir dir;
    const auto log = dir.path() / "sim.log";
    Rig rig({"--protocol", "pos", "--plain", "--log"}, log.string());
    const std::pair<std::string, std::string> refused[] = {
        {"Serial Port", "/dev/ttyUSB-not-there"}, {"TCP", "127.0.0.1:1"}, {"Pigeon Post", "roof"}};
    for (const auto& [type, endPoint] : refused) {
        SCOPED_TRACE(type);
        // Also shows that the refused open released the line.
        ASSERT_EQ(rig.Open("POS2K"), ErrorCase::Correct);
        ASSERT_EQ(rig.scale.SetLogicParam(LogicParam::ConnectionType, type), ErrorCase::Correct);
        ASSERT_EQ(rig.scale.SetLogicParam(LogicParam::EndPoint, endPoint), ErrorCase::Correct);
        EXPECT_NE(rig.scale.Open(), ErrorCase::Correct);

        driver::DeviceHandle handle = rig.scale.handle();
        bool open = true;
        EXPECT_EQ(::is_open(&handle, open), 0);
        EXPECT_FALSE(open);
        const std::string before = ReceivedBytes(log);
        EXPECT_EQ(rig.scale.Run(Command::StatusOfWeightChannel), ErrorCase::ConnectionError);
        EXPECT_EQ(ReceivedBytes(log), before) << "a command reached the old end point";
    }
}

struct LineCase {
    const char* name;
    std::vector<std::string> args;
    std::string protocol;
    std::string baudRate;
    std::vector<std::string> options;  // baud rate, data bits, stop bits, parity, flow control
};

void PrintTo(const LineCase& c, std::ostream* out) {
    *out << c.name;
}

class SerialLine : public ::testing::TestWithParam<LineCase> {};

// OKA lines, and lines whose protocol is still to be found, get 8 data bits, two stop bits and even
// parity at 4800 baud and the plain 9600 8N1 line otherwise.
TEST_P(SerialLine, OpenAppliesTheOptionsOfTheProtocolAndBaudRate) {
    const LineCase& c = GetParam();
    SimProcess sim(c.args);
    ASSERT_TRUE(sim.started());
    Scale scale;
    Connection connection = ConnectionTo(sim, c.protocol);
    connection.baudRate = c.baudRate;
    ASSERT_EQ(scale.DescribeAndOpen(connection), ErrorCase::Correct);
    std::vector<std::string> options;
    for (const driver::Option option :
         {driver::Option::BaudRate, driver::Option::CharacterSize, driver::Option::StopBits, driver::Option::Parity,
          driver::Option::FlowControl}) {
        std::string value;
        EXPECT_EQ(::get_option(scale.handle(), option, value), 0);
        options.push_back(value);
    }
    EXPECT_EQ(options, c.options);
    EXPECT_EQ(scale.Run(Command::StatusOfWeightChannel), ErrorCase::Correct);
}

INSTANTIATE_TEST_SUITE_P(OkaAndAuto, SerialLine,
                         ::testing::Values(LineCase{"Oka4800", kOka, "OKA", "4800", {"4800", "8", "2", "2", "0"}},
                                           LineCase{"Oka9600", kOka, "OKA", "9600", {"9600", "8", "0", "0", "0"}},
                                           LineCase{"Auto4800", kPosPro, "auto", "4800", {"4800", "8", "2", "2", "0"}},
                                           LineCase{"Auto9600", kPosPro, "auto", "9600", {"9600", "8", "0", "0", "0"}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
