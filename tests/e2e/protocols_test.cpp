// libdriver.so through its exports against the scale simulator: each retail protocol over a pty
// and over TCP end to end, the service settings and calibration, the protocol switch, the model
// check and opening. The frame bytes themselves are checked in tests/driver.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "driver-scale.h"
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
const std::vector<std::string> kOka = {"--protocol", "oka", "--plain"};

// A simulator and one device of the driver connected to it; the device goes first.
struct Rig {
    explicit Rig(const std::vector<std::string>& args, const std::string& errorLog = "") : sim(args, errorLog) {}
    ErrorCase Open(const std::string& protocol, const std::string& model = "auto") {
        return scale.DescribeAndOpen(ConnectionTo(sim, protocol, model));
    }
    SimProcess sim;
    Scale scale;
};

// ---- Each protocol, whole path ---------------------------------------------------------------

struct Reading {
    std::vector<std::string> controls;
    std::string weight;
    std::string tare;  // empty: the protocol reports none worth checking
    std::string state;
    std::string unit;
};

struct ProtocolRow {
    const char* name;
    const char* args;  // of the simulator
    std::string protocol;
    bool detected;  // found by "auto", with the composed model on a Pro scale
    std::vector<Reading> readings;
    ErrorCase tare, specifyTare, zero;
};

const ErrorCase kOk = ErrorCase::Correct;
const ErrorCase kNo = ErrorCase::CommandUnsupported;

const std::vector<Reading> kPosReadings = {
    {{"weight 1234", "tare 100", "stable 1"}, "1234", "100", "1010100001", "gr"},
    {{"weight -250", "tare 0", "stable 0"}, "-250", "0", "0010000000", "gr"},
};
const std::vector<Reading> kCasReadings = {
    {{"stable 0", "weight -12500"}, "-12.500", "", "0***0*0***", "kg"},
    {{"unit lb", "stable 1", "weight 1000"}, "2.20", "", "1***1*0***", "lb"},
};
const std::vector<Reading> kOkaReadings = {
    {{"weight 1234", "tare 500", "stable 1"}, "1234", "500", "0x00", "kg"},
    {{"overload 1", "weight 250"}, "0", "", "0x40", "kg"},
};

const std::vector<ProtocolRow> kProtocols = {
    {"PosPlain", "--protocol pos --plain", "POS2K", true, kPosReadings, kOk, kNo, kOk},
    {"PosPro", "--protocol pos --pro", "POS2KProV1", true, kPosReadings, kOk, kOk, kOk},
    {"CasPlain", "--protocol cas --plain", "CAS-K", true, kCasReadings, kOk, kNo, kOk},
    {"CasPro", "--protocol cas --pro", "CAS-K ProV1", true, kCasReadings, kOk, kNo, kOk},
    {"CasActive", "--protocol cas-active --plain --interval 50", "CAS-K-Active", false, kCasReadings, kNo, kNo, kNo},
    {"Oka", "--protocol oka --plain", "OKA", false, kOkaReadings, kNo, kOk, kOk},
};

class EachProtocol : public ::testing::TestWithParam<std::tuple<ProtocolRow, bool>> {
protected:
    const ProtocolRow& row() const { return std::get<0>(GetParam()); }
    static std::vector<std::string> Args(const std::tuple<ProtocolRow, bool>& param) {
        return testsupport::Words((std::get<1>(param) ? "--tcp 127.0.0.1:0 " : "") +
                                  std::string(std::get<0>(param).args));
    }
    // A streaming scale shows a change only in frames sent after it: read until the weight, changed
    // last, comes.
    ErrorCase ReadWeight(const std::string& expected) {
        ErrorCase code = rig.scale.Run(Command::StatusOfWeightChannel);
        for (int i = 0; i < 20 && row().protocol == "CAS-K-Active" && rig.scale.Get(Param::Weight) != expected; ++i)
            code = rig.scale.Run(Command::StatusOfWeightChannel);
        return code;
    }
    // Runs a zero or tare command and checks what the scale holds after it.
    void Press(Command command, ErrorCase expected, int& weight, int& tare, int newWeight, int newTare) {
        EXPECT_EQ(rig.scale.Run(command), expected);
        if (expected != ErrorCase::Correct) return;
        weight = newWeight;
        tare = newTare;
        // A CAS scale does not answer zero or tare: the reading after it shows it was taken.
        ASSERT_EQ(rig.scale.Run(Command::StatusOfWeightChannel), ErrorCase::Correct);
        EXPECT_EQ(rig.scale.Get(Param::Weight), WeightText(row().protocol.starts_with("CAS"), weight));
        const std::string status = " " + rig.sim.Send("status") + " ";
        EXPECT_NE(status.find(" weight=" + std::to_string(weight) + " tare=" + std::to_string(tare) + " "),
                  std::string::npos)
            << status;
    }
    Rig rig{Args(GetParam())};
};

TEST_P(EachProtocol, OpensReadsZeroesAndTares) {
    ASSERT_TRUE(rig.sim.started());
    ASSERT_EQ(rig.Open(row().detected ? "auto" : row().protocol), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Protocol(), row().protocol);
    EXPECT_EQ(rig.scale.LogicParam(LogicParam::Protocol), row().protocol);
    const bool pro = row().protocol.find("Pro") != std::string::npos;
    EXPECT_EQ(rig.scale.LogicParam(LogicParam::Model), pro ? kDefaultModel : "auto");

    for (const Reading& r : row().readings) {
        SCOPED_TRACE(r.controls.front());
        for (const std::string& line : r.controls) ASSERT_EQ(rig.sim.Send(line), "ok") << line;
        ASSERT_EQ(ReadWeight(r.weight), ErrorCase::Correct);
        EXPECT_EQ(rig.scale.Get(Param::Weight), r.weight);
        if (!r.tare.empty()) EXPECT_EQ(rig.scale.Get(Param::Tare), r.tare);
        EXPECT_EQ(rig.scale.Get(Param::WeightState), r.state);
        EXPECT_EQ(rig.scale.Get(Param::UnitOfMeasure), r.unit);
    }

    // The next open uses the stored protocol as it is.
    rig.sim.Control({"overload 0", "unit kg", "tare 0", "stable 1", "weight 700"});
    ASSERT_EQ(rig.scale.Open(), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Protocol(), row().protocol);
    ASSERT_EQ(ReadWeight(WeightText(row().protocol.starts_with("CAS"), 700)), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Get(Param::Weight), WeightText(row().protocol.starts_with("CAS"), 700));

    int weight = 700, tare = 0;
    Press(Command::SetTare, row().tare, weight, tare, 0, weight + tare);
    ASSERT_EQ(rig.scale.Set(Param::Tare, "500"), ErrorCase::Correct);
    Press(Command::SpecifyTare, row().specifyTare, weight, tare, weight + tare - 500, 500);
    Press(Command::SetZero, row().zero, weight, tare, 0, 0);
}

INSTANTIATE_TEST_SUITE_P(Scales, EachProtocol, ::testing::Combine(::testing::ValuesIn(kProtocols), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "Tcp" : "Pty");
                         });

// ---- Service settings and calibration --------------------------------------------------------

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

// A Pro POS scale that logs what it receives.
class ServiceSettings : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rig.sim.started());
        ASSERT_EQ(rig.Open("POS2KProV1"), ErrorCase::Correct);
    }
    testsupport::TempDir dir;
    std::filesystem::path log = dir.path() / "sim.log";
    Rig rig{{"--protocol", "pos", "--pro", "--log"}, log.string()};
};

struct Setting {
    Command command;
    Param type;
    const char* key;    // the simulator's setting behind the value
    const char* value;  // written; empty: a read, which expects the simulator's setting
};

// Which key each command sends is checked in tests/driver; here a read brings the scale's value
// and a write changes it, for the kinds of values there are.
const std::vector<Setting> kSettings = {
    {Command::GetFirmwareVersion2, Param::FirmwareVersion2, "ver2", ""},
    {Command::GetSerialNumber, Param::SerialNumber, "sern", ""},
    {Command::GetMaxWeight, Param::MaxWeight, "max", ""},
    // Both unit keys read into one slot.
    {Command::GetUnitOfMeasure, Param::UnitOfMeasure, "u2en", ""},
    {Command::GetUnitOfMeasure2, Param::UnitOfMeasure, "u3en", ""},
    {Command::GetCountOfCalibration, Param::CountOfCalibration, "cnt", ""},
    // "@" in a value is not a placeholder: the value is put in once.
    {Command::SetScalesModel, Param::ScalesModel, "mode", "A@1"},
    {Command::SetSerialNumber, Param::SerialNumber, "sern", "87654321"},
    {Command::SetMaxWeight, Param::MaxWeight, "max", "030"},
    {Command::SetDiscret, Param::Discret, "div", "2"},
    {Command::SetWeightCalibration, Param::WeightCalibration, "cal", "0030"},
    {Command::SetCell2, Param::Cell, "cell2", "12"},
};

TEST_F(ServiceSettings, SettingsAreReadAndWrittenOnTheScale) {
    rig.sim.Control({"set sern 41", "set u2en 42", "set u3en 43", "set cnt 44"});
    ASSERT_EQ(rig.scale.Run(Command::GetScalesModel), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Get(Param::ScalesModel), kDefaultModel);
    for (const Setting& s : kSettings) {
        SCOPED_TRACE(s.key + std::string(" ") + s.value);
        const bool read = *s.value == '\0';
        const std::string expected = read ? rig.sim.Setting(s.key) : s.value;
        if (!read) ASSERT_EQ(rig.scale.Set(s.type, s.value), ErrorCase::Correct);
        ASSERT_EQ(rig.scale.Run(s.command), ErrorCase::Correct);
        EXPECT_EQ(read ? rig.scale.Get(s.type) : rig.sim.Setting(s.key), expected);
    }
    // The scale counts calibrations itself, and refuses a division index outside its table.
    ASSERT_EQ(rig.scale.Set(Param::CountOfCalibration, "7"), ErrorCase::Correct);
    ASSERT_EQ(rig.scale.Run(Command::SetCountOfCalibration), ErrorCase::Correct);
    EXPECT_EQ(rig.sim.Setting("cnt"), "45");
    ASSERT_EQ(rig.scale.Set(Param::Discret, "9"), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Run(Command::SetDiscret), ErrorCase::DeviceReturnsError);
    EXPECT_EQ(rig.sim.Setting("div"), "2");
}

TEST_F(ServiceSettings, ActionsAndAWeightCalibrationThatWaitsForAStableScale) {
    rig.sim.Control({"stable 1", "weight 300", "tare 5"});
    for (const Command command :
         {Command::ZeroScaleCalibration, Command::WeightScaleCalibration, Command::Reboot, Command::Init})
        EXPECT_EQ(rig.scale.Run(command), ErrorCase::Correct);
    EXPECT_NE(rig.sim.Send("status").find(" weight=0 tare=0 "), std::string::npos);

    const std::string statusRequest = "\x02\x05:0030<";
    const std::size_t before = Occurrences(ReceivedBytes(log), statusRequest);
    ASSERT_EQ(rig.scale.Set(Param::WeightScaleCalibrationParameters, "5"), ErrorCase::Correct);
    ASSERT_EQ(rig.scale.Run(Command::SetWeightScaleCalibrationParameters), ErrorCase::Correct);
    EXPECT_EQ(rig.sim.Setting("cal"), "5");
    EXPECT_EQ(rig.sim.Setting("cnt"), "1");
    EXPECT_EQ(Occurrences(ReceivedBytes(log), statusRequest), before + 1);

    // Unstable through ten readings: the calibration request is never sent.
    rig.sim.Control({"stable 0"});
    ASSERT_EQ(rig.scale.Set(Param::WeightScaleCalibrationParameters, "7"), ErrorCase::Correct);
    EXPECT_EQ(rig.scale.Run(Command::SetWeightScaleCalibrationParameters), ErrorCase::DeviceIsNotStabilized);
    EXPECT_EQ(rig.sim.Setting("cal"), "5");
    const std::string received = ReceivedBytes(log);
    EXPECT_EQ(Occurrences(received, statusRequest), before + 11);
    EXPECT_EQ(Occurrences(received, "Swcal7"), 0u);
}

// ---- Protocol switch, model check, opening ---------------------------------------------------

TEST(ProtocolSwitch, ReopenWithAutoFindsTheOtherFamily) {
    Rig rig(kPosPro);
    ASSERT_EQ(rig.Open("auto"), ErrorCase::Correct);
    for (const auto& [version, detected] : {std::pair{"0", "CAS-K ProV1"}, std::pair{"1", "POS2KProV1"}}) {
        SCOPED_TRACE(version);
        ASSERT_EQ(rig.scale.Set(Param::ProtocolVersion, version), ErrorCase::Correct);
        ASSERT_EQ(rig.scale.Run(Command::SetProtocolVersion), ErrorCase::Correct);
        ASSERT_EQ(rig.scale.SetLogicParam(LogicParam::Protocol, "auto"), ErrorCase::Correct);
        ASSERT_EQ(rig.scale.Open(), ErrorCase::Correct);
        EXPECT_EQ(rig.scale.Protocol(), detected);
        EXPECT_EQ(rig.scale.LogicParam(LogicParam::Protocol), detected);
        EXPECT_EQ(rig.scale.Run(Command::StatusOfWeightChannel), ErrorCase::Correct);
    }
}

TEST(ModelCheck, ConfiguredModelMustMatchTheScale) {
    Rig plain(kPosPlain);
    ASSERT_EQ(plain.Open("POS2K", "A7"), ErrorCase::Correct);
    EXPECT_EQ(plain.scale.Run(Command::StatusOfWeightChannel), ErrorCase::WrongModelChosen) << "no model to match";

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

// A reading waits for one whole frame, so a stream within the read deadline is read every time.
TEST(CasActiveStream, EveryReadingSucceedsAtFourHundredFiftyMsBetweenFrames) {
    Rig rig({"--protocol", "cas-active", "--plain", "--interval", "450"});
    ASSERT_EQ(rig.Open("CAS-K-Active"), ErrorCase::Correct);
    for (int reading = 0; reading < 3; ++reading)
        EXPECT_EQ(rig.scale.Run(Command::StatusOfWeightChannel), ErrorCase::Correct);
}

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

class SerialLine : public ::testing::TestWithParam<LineCase> {};

// OKA lines, and lines whose protocol is still to be found, get 8 data bits, two stop bits and even
// parity at 4800 baud and the plain 9600 8N1 line otherwise.
TEST_P(SerialLine, OpenAppliesTheOptionsOfTheProtocolAndBaudRate) {
    const LineCase& c = GetParam();
    SimProcess sim(c.args);
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
                         RowName<LineCase>);

}  // namespace
