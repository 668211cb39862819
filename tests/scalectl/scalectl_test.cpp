// scalectl run as a process against the simulated scale, on a pseudo-terminal and over TCP.
#include <gtest/gtest.h>
#include <signal.h>

#include <unistd.h>
#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/child-process.h"
#include "support/sim-process.h"
#include "support/temp-dir.h"

namespace scalectl::testing {
namespace {

using testsupport::ChildProcess;
using testsupport::ProcessResult;
using testsupport::SimProcess;
using testsupport::Words;

using namespace std::chrono_literals;
using boost::property_tree::ptree;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

ptree ParseJson(const std::string& line) {
    std::istringstream in(line);
    ptree tree;
    boost::property_tree::read_json(in, tree);
    return tree;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ScalectlTest : public ::testing::Test {
protected:
    std::map<std::string, std::string> Env() const { return {{"APPDATA", appData_.path().string()}}; }

    ProcessResult Ctl(std::vector<std::string> args) {
        args.insert(args.begin(), SCALECTL_PATH);
        return testsupport::Run(args, Env());
    }

    std::unique_ptr<ChildProcess> StartCtl(std::vector<std::string> args) {
        args.insert(args.begin(), SCALECTL_PATH);
        return std::make_unique<ChildProcess>(args, Env());
    }

    // Stores a logic device, makes it current and returns its id.
    std::string AddCurrent(std::vector<std::string> fields) {
        fields.insert(fields.begin(), {"--json", "device", "add"});
        const auto added = Ctl(fields);
        EXPECT_EQ(added.status, 0) << added.err;
        const auto id = std::to_string(ParseJson(added.out).get<int>("id"));
        EXPECT_EQ(Ctl({"device", "use", id}).status, 0);
        return id;
    }

    std::filesystem::path DeviceFile() const {
        return appData_.path() / "NORVELL" / "Ponderix" / "logic-devices-connection-config.json";
    }

    // A failure: the given status and exactly one line on standard error that names it.
    static void ExpectFailure(const ProcessResult& result, int status, const std::string& errorName) {
        EXPECT_EQ(result.status, status) << result.out << result.err;
        const auto lines = Lines(result.err);
        ASSERT_EQ(lines.size(), 1u) << result.err;
        EXPECT_EQ(lines[0].rfind("error " + std::to_string(status) + " (" + errorName + "): ", 0), 0u) << lines[0];
    }

    testsupport::TempDir appData_;
};

TEST_F(ScalectlTest, VersionAndHelpOnEverySubcommand) {
    const auto version = Ctl({"version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.out.find("1.1.3\ndriver    1.1.3"), std::string::npos) << version.out;
    const auto json = Ctl({"version", "--json"});
    EXPECT_EQ(ParseJson(json.out).get<std::string>("driver"), "1.1.3");

    // One command of each family; CLI11 gives every subcommand its help the same way.
    for (const char* line : {"--help", "device add --help", "weight --help", "calibrate weight --help", "log --help"}) {
        const auto help = Ctl(Words(line));
        EXPECT_EQ(help.status, 0) << help.err;
        EXPECT_NE(help.out.find("Usage"), std::string::npos) << help.out;
    }
}

TEST_F(ScalectlTest, BadCommandLinesFailBeforeAnythingIsWritten) {
    for (const char* line : {"",
                             "frobnicate",
                             "get",
                             "get colour",
                             "set ver2 1",
                             "set max",
                             "set max abc",
                             "set cnt 5",
                             "weight --count 0",
                             "tare --set abc",
                             "calibrate weight -5",
                             "--lang de version",
                             "device add",
                             "device add --port /dev/null --tcp 127.0.0.1",
                             "device add --tcp 127.0.0.1:99999",
                             "device add --port /dev/null --baud fast",
                             "device add --port /dev/null --protocol pos",
                             "device set 1 colour red",
                             "device set x name a",
                             "device use",
                             "log verbosity=9",
                             "log severity_level=Warning"}) {
        SCOPED_TRACE(line);
        ExpectFailure(Ctl(Words(line)), 32, "CommandLineIncorrectArgument");
    }
    EXPECT_FALSE(std::filesystem::exists(DeviceFile()));
}

TEST_F(ScalectlTest, LogicDevicesAreAddedChangedChosenAndRemoved) {
    const auto serial = Ctl({"--json", "device", "add", "--name", "bench", "--port", "/dev/ttyUSB7", "--baud", "4800"});
    ASSERT_EQ(serial.status, 0) << serial.err;
    const auto serialId = std::to_string(ParseJson(serial.out).get<int>("id"));
    const auto tcp = Ctl({"device", "add", "--tcp", "10.0.0.5:5001", "--protocol", "CAS-K ProV1"});
    ASSERT_EQ(tcp.status, 0) << tcp.err;
    EXPECT_EQ(tcp.out.rfind("added device ", 0), 0u) << tcp.out;

    EXPECT_EQ(Ctl({"device", "use", serialId}).status, 0);
    EXPECT_EQ(Ctl({"device", "set", serialId, "protocol", "POS2KProV1"}).status, 0);
    EXPECT_EQ(Ctl({"device", "set", serialId, "type", "tcp"}).status, 0);

    const auto listed = Ctl({"devices", "--json"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    const auto devices = Lines(listed.out);
    ASSERT_EQ(devices.size(), 3u);  // the driver's default one and ours
    EXPECT_EQ(devices[1], R"({"id":2,"current":true,"name":"bench","connection-type":"TCP","end-point":"/dev/ttyUSB7",)"
                          R"("baud-rate":"4800","model":"auto","protocol":"POS2KProV1"})");
    EXPECT_EQ(devices[2].rfind(R"({"id":3,"current":false,"name":"10.0.0.5:5001",)", 0), 0u) << devices[2];

    const auto table = Lines(Ctl({"devices"}).out);
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table[0].find("ID"), table[2].find(serialId)) << "columns line up";
    EXPECT_EQ(table[2].rfind("*", 0), 0u) << table[2];

    // Unknown ids and bad values change nothing in the file.
    const auto before = ReadFile(DeviceFile());
    ExpectFailure(Ctl({"device", "use", "99"}), 37, "LogicDeviceNotFound");
    EXPECT_NE(Ctl({"device", "use", "99"}).err.find("Logic device not found"), std::string::npos);
    EXPECT_NE(Ctl({"--lang", "ru", "device", "use", "99"}).err.find("Логическое устройство не найдено"),
              std::string::npos);
    ExpectFailure(Ctl({"device", "remove", "99"}), 37, "LogicDeviceNotFound");
    ExpectFailure(Ctl({"device", "set", "99", "name", "x"}), 37, "LogicDeviceNotFound");
    ExpectFailure(Ctl({"--device", "99", "weight"}), 37, "LogicDeviceNotFound");
    ExpectFailure(Ctl({"device", "set", serialId, "baud", "fast"}), 32, "CommandLineIncorrectArgument");
    ExpectFailure(Ctl({"device", "set", serialId, "protocol", "POS"}), 32, "CommandLineIncorrectArgument");
    EXPECT_EQ(ReadFile(DeviceFile()), before);

    EXPECT_EQ(Ctl({"device", "remove", serialId}).status, 0);
    EXPECT_EQ(Lines(Ctl({"devices", "--json"}).out).size(), 2u);
}

TEST_F(ScalectlTest, LoggingSettingsAreShownAndChanged) {
    const auto shown = Ctl({"log"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find("severity_level  trace"), std::string::npos) << shown.out;
    const auto changed = Ctl({"--json", "log", "severity_level=info", "max_files=3"});
    ASSERT_EQ(changed.status, 0) << changed.err;
    EXPECT_NE(changed.out.find(R"("file_name":"driver.log","max_files":"3","max_size":"104857600",)"
                               R"("severity_level":"info"})"),
              std::string::npos)
        << changed.out;
}

// A POS scale that also speaks the service protocol, on a pseudo-terminal.
class PosScaleTest : public ScalectlTest {
protected:
    void SetUp() override {
        ASSERT_EQ(sim_.endpoint().rfind("/dev/", 0), 0u) << sim_.endpoint();
        id_ = AddCurrent({"--port", sim_.endpoint(), "--name", "sim"});
    }
    SimProcess sim_{{"--pty", "--protocol", "pos", "--pro"}};
    std::string id_;
};

TEST_F(PosScaleTest, DetectFindsProtocolAndModelAndStoresThem) {
    const auto human = Ctl({"detect"});
    ASSERT_EQ(human.status, 0) << human.err;
    EXPECT_NE(human.out.find("protocol  POS2KProV1"), std::string::npos) << human.out;
    EXPECT_NE(human.out.find("model     K-ZA A7-15.2 III(средний)"), std::string::npos) << human.out;

    const auto json = Ctl({"--json", "detect", id_});
    ASSERT_EQ(json.status, 0) << json.err;
    const auto found = ParseJson(json.out);
    EXPECT_EQ(found.get<std::string>("protocol"), "POS2KProV1");
    EXPECT_EQ(found.get<std::string>("model"), "K-ZA A7-15.2 III(средний)");
    EXPECT_NE(ReadFile(DeviceFile()).find("POS2KProV1"), std::string::npos);
}

TEST_F(PosScaleTest, WeightReadingsZeroAndTare) {
    sim_.Control({"weight 1500", "tare 200", "stable 1"});

    const auto once = Ctl({"weight"});
    ASSERT_EQ(once.status, 0) << once.err;
    EXPECT_EQ(once.out, "     1.500 kg  tare     0.200 kg  stable\n");

    const auto json = Ctl({"weight", "--json", "--count", "3", "--interval", "10"});
    ASSERT_EQ(json.status, 0) << json.err;
    const auto readings = Lines(json.out);
    ASSERT_EQ(readings.size(), 3u);
    EXPECT_EQ(readings[2], R"({"weight":1.5,"tare":0.2,"unit":"kg","stable":true,"zero":false,"overload":false})");

    // Above the scale's maximum of 15 kg.
    sim_.Control({"weight 15500"});
    EXPECT_EQ(ParseJson(Ctl({"weight", "--json"}).out).get<bool>("overload"), true);

    EXPECT_EQ(Ctl({"zero"}).out, "zero: ok\n");
    auto zeroed = ParseJson(Ctl({"weight", "--json"}).out);
    EXPECT_EQ(zeroed.get<double>("weight"), 0);
    EXPECT_EQ(zeroed.get<bool>("zero"), true);

    sim_.Control({"weight 700"});
    EXPECT_EQ(ParseJson(Ctl({"--json", "tare"}).out).get<std::string>("result"), "ok");
    auto tared = ParseJson(Ctl({"weight", "--json"}).out);
    EXPECT_EQ(tared.get<double>("weight"), 0);
    EXPECT_EQ(tared.get<double>("tare"), 0.7);

    EXPECT_EQ(Ctl({"tare", "--set", "0.25"}).status, 0);
    EXPECT_EQ(ParseJson(Ctl({"weight", "--json"}).out).get<double>("tare"), 0.25);
}

TEST_F(PosScaleTest, SettingsAreReadAndWritten) {
    const auto read = Ctl({"get", "max", "div", "sern"});
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, "max   015\ndiv   1\nsern  12345678\n");

    EXPECT_EQ(Ctl({"set", "max", "30"}).out, "max = 30\n");
    EXPECT_EQ(Ctl({"--json", "get", "max", "ver2"}).out,
              "{\"key\":\"max\",\"value\":\"30\"}\n{\"key\":\"ver2\",\"value\":\"v1.05\"}\n");

    EXPECT_EQ(Ctl({"set", "cnt"}).status, 0);
    EXPECT_EQ(ParseJson(Ctl({"--json", "get", "cnt"}).out).get<std::string>("value"), "1");
    // The scale refuses a division index outside its table.
    ExpectFailure(Ctl({"set", "div", "9"}), 24, "DeviceReturnsError");
}

TEST_F(PosScaleTest, CalibrationWaitsForAStableScaleAndRebootAnswers) {
    sim_.Control({"stable 1"});
    EXPECT_EQ(Ctl({"calibrate", "zero"}).out, "calibrate zero: ok\n");
    const auto weighed = Ctl({"--json", "calibrate", "weight", "5"});
    ASSERT_EQ(weighed.status, 0) << weighed.err;
    EXPECT_EQ(ParseJson(weighed.out).get<std::string>("result"), "ok");
    EXPECT_EQ(ParseJson(Ctl({"--json", "get", "cal"}).out).get<std::string>("value"), "5");

    sim_.Control({"stable 0"});
    ExpectFailure(Ctl({"calibrate", "weight", "5"}), 25, "DeviceIsNotStabilized");
    EXPECT_EQ(Ctl({"reboot"}).out, "reboot: ok\n");
}

TEST_F(PosScaleTest, HeldPortAndCtrlCDuringWatch) {
    auto watcher = StartCtl({"weight", "--watch", "--interval", "50"});
    const auto first = watcher->ReadLine(10s);
    ASSERT_TRUE(first) << "no reading from the watcher";
    EXPECT_NE(first->find(" kg  tare "), std::string::npos) << *first;

    const auto before = ReadFile(DeviceFile());
    const auto held = Ctl({"weight"});
    ExpectFailure(held, 4, "ConnectionError");
    EXPECT_NE(held.err.find("port " + sim_.endpoint() + " is held by another program"), std::string::npos) << held.err;
    EXPECT_EQ(ReadFile(DeviceFile()), before);

    watcher->Signal(SIGINT);
    const auto stopped = watcher->Finish(5s);
    EXPECT_EQ(stopped.status, 0) << stopped.err;
    EXPECT_EQ(Ctl({"weight"}).status, 0) << "the port was released";
}

TEST_F(PosScaleTest, MissingPortAndSilentScale) {
    const auto before = ReadFile(DeviceFile());
    sim_.Control({"silent 1"});
    for (const std::string command : {"detect", "weight"}) {
        const auto silent = Ctl({command});
        EXPECT_NE(silent.status, 0) << command;
        const auto lines = Lines(silent.err);
        ASSERT_EQ(lines.size(), 1u) << silent.err;
        EXPECT_EQ(lines[0].rfind("error ", 0), 0u) << lines[0];
    }
    EXPECT_EQ(ReadFile(DeviceFile()), before) << "the protocol is restored after a failed detection";

    AddCurrent({"--port", "/dev/ponderix-no-such-port"});
    const auto missing = Ctl({"weight"});
    ExpectFailure(missing, 5, "UnableToOpenSerialPort");
    EXPECT_NE(missing.err.find("Unable to open serial port"), std::string::npos);
}

TEST_F(ScalectlTest, CasScaleOverTcp) {
    SimProcess sim({"--tcp", "127.0.0.1:0", "--protocol", "cas", "--pro"});
    ASSERT_NE(sim.endpoint().find(':'), std::string::npos) << sim.endpoint();
    AddCurrent({"--tcp", sim.endpoint()});

    const auto detected = ParseJson(Ctl({"--json", "detect"}).out);
    EXPECT_EQ(detected.get<std::string>("protocol"), "CAS-K ProV1");

    sim.Control({"unit g", "weight 125", "stable 1"});
    EXPECT_EQ(Ctl({"--json", "weight"}).out,
              R"({"weight":125,"tare":null,"unit":"g","stable":true,"zero":false,"overload":false})"
              "\n");
    EXPECT_EQ(Ctl({"weight"}).out, "       125 g   tare         -     stable\n");
    EXPECT_EQ(Ctl({"zero"}).status, 0);
}

// Every failure names the cause the driver logged during the call, in the message and in the JSON object.
TEST_F(ScalectlTest, EachFailureNamesItsCause) {
    const auto expectCause = [&](std::vector<std::string> args, int status, const std::string& name,
                                 const std::string& cause) {
        const auto human = Ctl(args);
        ExpectFailure(human, status, name);
        EXPECT_NE(human.err.find(cause), std::string::npos) << human.err;
        args.insert(args.begin(), "--json");
        const auto json = Ctl(args);
        EXPECT_EQ(json.status, status);
        const auto lines = Lines(json.out);
        ASSERT_EQ(lines.size(), 1u) << json.out;
        const auto object = ParseJson(lines[0]);
        EXPECT_EQ(object.get<int>("code"), status);
        EXPECT_EQ(object.get<std::string>("name"), name);
        EXPECT_FALSE(object.get<std::string>("description").empty());
        EXPECT_NE(object.get<std::string>("cause").find(cause), std::string::npos) << lines[0];
    };
    expectCause({"device", "remove", "1"}, 36, "LogicDeviceJSONError", "the last logic device cannot be removed");

    const auto before = ReadFile(DeviceFile());
    expectCause({"device", "add", "--name", "\xff\xfe bad", "--port", "/dev/ttyS1"}, 18, "ParamValueUnsupported",
                "is not valid UTF-8");
    EXPECT_EQ(ReadFile(DeviceFile()), before) << "a refused value changes nothing";

    const auto plain = appData_.path() / "plain-file";
    std::ofstream(plain) << "x";
    AddCurrent({"--port", plain.string(), "--name", "a\x1b]0;owned\x07"});
    expectCause({"weight"}, 4, "ConnectionError", plain.string() + " is not a serial port");
    const auto table = Ctl({"devices"});
    EXPECT_NE(table.out.find("a\\x1b]0;owned\\x07"), std::string::npos) << table.out;
    EXPECT_EQ(table.out.find('\x1b'), std::string::npos) << "a name drove the terminal";
}

// The folder of the file cannot be written: the cause names it. Root writes anywhere, so the command then
// runs as nobody.
TEST_F(ScalectlTest, AFolderThatCannotBeWrittenIsNamed) {
    ASSERT_EQ(Ctl({"devices"}).status, 0);
    const auto folder = DeviceFile().parent_path();
    namespace fs = std::filesystem;
    fs::permissions(appData_.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                         fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(folder.parent_path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(DeviceFile(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    fs::permissions(folder / "logs", fs::perms::all);
    for (const auto& entry : fs::directory_iterator(folder / "logs")) fs::permissions(entry.path(), fs::perms::all);
    fs::permissions(folder,
                    fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
    std::vector<std::string> args = {SCALECTL_PATH, "device", "add", "--port", "/dev/ttyS1"};
    if (::geteuid() == 0)
        args.insert(args.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    const auto refused = testsupport::Run(args, Env());
    fs::permissions(folder, fs::perms::owner_all);
    ExpectFailure(refused, 33, "UnableToOpenFile");
    EXPECT_NE(refused.err.find("the folder cannot be written: " + folder.string()), std::string::npos) << refused.err;
}

// A value that holds a control character never reaches the scale: the simulator's byte log shows no set.
TEST_F(ScalectlTest, ControlCharactersNeverReachTheScale) {
    const auto log = appData_.path() / "sim.log";
    {
        SimProcess sim({"--pty", "--protocol", "pos", "--pro", "--log"}, log.string());
        AddCurrent({"--port", sim.endpoint()});
        const auto refused = Ctl({"set", "sern", "1\r\nSdiv5"});
        ExpectFailure(refused, 18, "ParamValueUnsupported");
        EXPECT_NE(refused.err.find("control character 0x0d"), std::string::npos) << refused.err;
        EXPECT_EQ(sim.Setting("div"), "1");
    }
    const auto bytes = ReadFile(log);
    EXPECT_NE(bytes.find("rx: "), std::string::npos) << "the open was logged";
    EXPECT_EQ(bytes.find("53 73 65 72 6e"), std::string::npos) << "\"Ssern\" was sent:\n" << bytes;
    EXPECT_EQ(bytes.find("53 64 69 76"), std::string::npos) << "\"Sdiv\" was sent:\n" << bytes;
}

// weight --watch keeps watching: through a bad frame, a line that comes back, a scale that stays gone.
TEST_F(ScalectlTest, WatchGoesOnThroughBadFramesAndLostLines) {
    const auto link = appData_.path() / "scale-link";
    auto sim =
        std::make_unique<SimProcess>(std::vector<std::string>{"--pty", "--link", link.string(), "--protocol", "pos"});
    AddCurrent({"--port", link.string()});
    sim->Control({"weight 1500", "stable 1"});
    auto watcher = StartCtl({"weight", "--watch", "--interval", "100"});
    ASSERT_TRUE(watcher->ReadLine(10s)) << "no first reading";

    sim->Control({"corrupt-checksum"});
    std::this_thread::sleep_for(500ms);
    sim->Control({"drop"});
    std::this_thread::sleep_for(2s);
    sim->Control({"weight 2500"});
    bool back = false;
    for (const auto until = std::chrono::steady_clock::now() + 10s;
         !back && std::chrono::steady_clock::now() < until;) {
        const auto line = watcher->ReadLine(1s);
        back = line && line->find("2.500 kg") != std::string::npos;
    }
    EXPECT_TRUE(back) << "no reading after the line came back";

    sim.reset();  // the scale is gone for good
    std::this_thread::sleep_for(3500ms);
    watcher->Signal(SIGINT);
    const auto stopped = watcher->Finish(5s);
    EXPECT_EQ(stopped.status, 0) << stopped.err;
    const auto lines = Lines(stopped.err);
    const auto count = [&](const std::string& text) {
        return std::count_if(lines.begin(), lines.end(),
                             [&](const std::string& line) { return line.find(text) != std::string::npos; });
    };
    EXPECT_GE(count("error ") - count("reopening once a second"), 1) << "the bad frame is one line:\n" << stopped.err;
    EXPECT_EQ(count("reopening once a second"), 2) << stopped.err;
    EXPECT_EQ(count("the scale answers again"), 1) << stopped.err;
}

}  // namespace
}  // namespace scalectl::testing
