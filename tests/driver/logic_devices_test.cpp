#include <signal.h>
#include <sys/resource.h>

#include <functional>

#include "defines.h"
#include "logic-devices-fixture.h"

namespace {

using driver::ErrorCase;
using driver::LogicDeviceId;
using driver::LogicDeviceManager;
namespace fs = std::filesystem;

// One stored device with every value set.
std::string Member(const std::string& id, const std::string& isCurrent) {
    return "\"" + id + "\": {\"is-current\": \"" + isCurrent + "\", \"name\": \"scale " + id +
           "\", \"connection-type\": \"Serial Port\", \"end-point\": \"/dev/ttyUSB0\", \"baud-rate\": \"9600\", "
           "\"model\": \"auto\", \"protocol\": \"auto\"}";
}

std::string Devices(std::initializer_list<std::string> members) {
    std::string text = "{\"devices\": {";
    for (const auto& member : members) text += (text.back() == '{' ? "" : ", ") + member;
    return text + "}}";
}

using testsupport::LogicDevicesTest;

TEST_F(LogicDevicesTest, FirstStartCreatesTheFolderAndOneCurrentDefaultDevice) {
    ASSERT_FALSE(fs::exists(appData_.ponderix()));
    LogicDeviceManager manager;
    EXPECT_EQ(manager.FilePath(), File().string());

    const auto devices = StoredDevices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices.front().first, "1");
    std::vector<std::pair<std::string, std::string>> values;
    for (const auto& [key, value] : devices.front().second) values.emplace_back(key, value.data());
    EXPECT_EQ(values, (decltype(values){{"is-current", "true"},
                                        {"name", "default name"},
                                        {"connection-type", "Serial Port"},
                                        {"end-point", "/dev/ttyS0"},
                                        {"baud-rate", "9600"},
                                        {"model", "auto"},
                                        {"protocol", "auto"}}));
    EXPECT_EQ(manager.GetCurrentLogicDeviceID(ecase_), 1u);
    EXPECT_EQ(manager.GetLogicDeviceParam(1, Type::ID, ecase_), "1");
    manager.AreAllParametersSet(1, ecase_);
    EXPECT_EQ(ecase_, ErrorCase::Correct);

    // A later registry reads the file as it stands and does not rewrite it; the last device stays.
    const auto before = ReadFile();
    EXPECT_EQ(LogicDeviceManager().GetCurrentLogicDeviceID(ecase_), 1u);
    EXPECT_EQ(ecase_, ErrorCase::Correct);
    manager.DeleteLogicDevice(1, ecase_);
    EXPECT_EQ(ecase_, ErrorCase::LogicDeviceJSONError);
    EXPECT_EQ(ReadFile(), before);
}

TEST_F(LogicDevicesTest, AddFillsTheLowestGapAndAppendsAnEmptyDevice) {
    WriteFile(Devices({Member("2", "true"), Member("5", "false")}));
    LogicDeviceManager gaps;
    for (LogicDeviceId expected : {1u, 3u, 4u, 6u}) EXPECT_EQ(gaps.AddLogicDevice(ecase_), expected);
    gaps.DeleteLogicDevice(3, ecase_);
    EXPECT_EQ(gaps.AddLogicDevice(ecase_), 3u);
    EXPECT_EQ(StoredKeys(), (std::vector<std::string>{"2", "5", "1", "4", "6", "3"}));
    EXPECT_EQ(Stored(3, "is-current"), "false");
    EXPECT_EQ(Stored(3, "protocol"), "");

    // One huge id must not cost a gap per smaller number.
    WriteFile(Devices({Member("4000000000", "true")}));
    LogicDeviceManager huge;
    EXPECT_EQ(huge.AddLogicDevice(ecase_), 1u);
    EXPECT_EQ(huge.GetAllSortedID(ecase_), (Ids{1, 4000000000u}));
    EXPECT_EQ(ecase_, ErrorCase::Correct);
}

TEST_F(LogicDevicesTest, ANewDeviceIsUnsetUntilEveryValueIsSet) {
    LogicDeviceManager manager;
    const auto id = manager.AddLogicDevice(ecase_);
    EXPECT_EQ(manager.GetLogicDeviceParam(id, Type::ID, ecase_), "2");
    manager.GetLogicDeviceParam(id, Type::Name, ecase_);
    EXPECT_EQ(ecase_, ErrorCase::ParamTypeIsNotSetToGet);
    ecase_ = ErrorCase::Correct;
    manager.AreAllParametersSet(id, ecase_);
    EXPECT_EQ(ecase_, ErrorCase::NotAllParamsAreSetInLogicDevice);

    const std::vector<Type> needed = {Type::Name,     Type::ConnectionType, Type::EndPoint,
                                      Type::BaudRate, Type::Model,          Type::Protocol};
    for (const auto type : needed) manager.SetLogicDeviceParam(id, type, "x", ecase_);
    for (const auto missing : needed) {
        ecase_ = ErrorCase::Correct;
        manager.SetLogicDeviceParam(id, missing, "", ecase_);
        manager.AreAllParametersSet(id, ecase_);
        EXPECT_EQ(ecase_, ErrorCase::NotAllParamsAreSetInLogicDevice) << driver::ToString(missing);
        manager.SetLogicDeviceParam(id, missing, "x", ecase_);
    }
    ecase_ = ErrorCase::Correct;
    manager.AreAllParametersSet(id, ecase_);
    manager.SetLogicDeviceParam(id, Type::Name, "shelf", ecase_);
    EXPECT_EQ(manager.GetLogicDeviceParam(id, Type::Name, ecase_), "shelf");
    EXPECT_EQ(manager.GetLogicDevice(id, ecase_)->GetParam(Type::Name, ecase_), "shelf");
    EXPECT_EQ(Stored(id, "name"), "shelf");
    EXPECT_EQ(ecase_, ErrorCase::Correct);
}

TEST_F(LogicDevicesTest, UnknownIdsAndTheIdItselfAreRefusedWithoutWriting) {
    LogicDeviceManager manager;
    manager.AddLogicDevice(ecase_);
    const auto before = ReadFile();
    const std::vector<std::pair<std::function<void()>, ErrorCase>> calls = {
        {[&] { manager.SetLogicDeviceParam(9, Type::Name, "x", ecase_); }, ErrorCase::LogicDeviceNotFound},
        {[&] { manager.GetLogicDeviceParam(9, Type::Name, ecase_); }, ErrorCase::LogicDeviceNotFound},
        {[&] { EXPECT_EQ(manager.GetLogicDevice(9, ecase_), nullptr); }, ErrorCase::LogicDeviceNotFound},
        {[&] { manager.SetCurrentLogicDevice(9, ecase_); }, ErrorCase::LogicDeviceNotFound},
        {[&] { manager.AreAllParametersSet(9, ecase_); }, ErrorCase::LogicDeviceJSONError},
        {[&] { manager.SetLogicDeviceParam(1, Type::ID, "7", ecase_); }, ErrorCase::LogicDeviceJSONError},
        {[&] { manager.DeleteLogicDevice(9, ecase_); }, ErrorCase::LogicDeviceJSONError},
    };
    for (std::size_t i = 0; i < calls.size(); ++i) {
        ecase_ = ErrorCase::Correct;
        calls[i].first();
        EXPECT_EQ(ecase_, calls[i].second) << "call " << i;
    }
    EXPECT_EQ(ReadFile(), before);
    ecase_ = ErrorCase::Correct;
    EXPECT_EQ(manager.GetCurrentLogicDeviceID(ecase_), 1u);
    EXPECT_EQ(manager.GetAllSortedID(ecase_), (Ids{1, 2}));
}

TEST_F(LogicDevicesTest, TheLargestMarkedIdIsCurrentSetCurrentClearsEveryMarkAndDeleteClearsIt) {
    WriteFile(Devices({Member("1", "false"), Member("2", "true"), Member("5", "true")}));
    LogicDeviceManager manager;
    EXPECT_EQ(manager.GetCurrentLogicDeviceID(ecase_), 5u);
    for (int twice = 0; twice < 2; ++twice) {
        manager.SetCurrentLogicDevice(1, ecase_);
        EXPECT_EQ(Stored(1, "is-current"), "true");
        EXPECT_EQ(Stored(2, "is-current"), "false");
        EXPECT_EQ(Stored(5, "is-current"), "false");
        EXPECT_EQ(manager.GetLogicDeviceParam(5, Type::IsCurrent, ecase_), "false");
        EXPECT_EQ(manager.GetCurrentLogicDeviceID(ecase_), 1u);
    }
    EXPECT_EQ(LogicDeviceManager().GetCurrentLogicDeviceID(ecase_), 1u);
    EXPECT_EQ(ecase_, ErrorCase::Correct);

    // Deleting the current device leaves none current, for this registry and the next.
    manager.DeleteLogicDevice(1, ecase_);
    ASSERT_EQ(ecase_, ErrorCase::Correct);
    manager.GetCurrentLogicDeviceID(ecase_);
    EXPECT_EQ(ecase_, ErrorCase::LogicDeviceNotFound);
    ecase_ = ErrorCase::Correct;
    LogicDeviceManager().GetCurrentLogicDeviceID(ecase_);
    EXPECT_EQ(ecase_, ErrorCase::LogicDeviceNotFound);
}

// Two registries stand for two programs: neither writes back its older copy of the file.
TEST_F(LogicDevicesTest, AChangeAppliesToTheFileAsItIsNowAndReadsSeeIt) {
    WriteFile(Devices({Member("1", "true")}));
    LogicDeviceManager detect;
    LogicDeviceManager ctl;
    const LogicDeviceId added = ctl.AddLogicDevice(ecase_);
    ctl.SetLogicDeviceParam(added, Type::Name, "bench", ecase_);
    detect.SetLogicDeviceParam(1, Type::Protocol, "POS2KProV1", ecase_);  // what an "auto" open stores
    ASSERT_EQ(ecase_, ErrorCase::Correct);
    EXPECT_EQ(StoredDevices().get<std::string>("2.name"), "bench");
    EXPECT_EQ(StoredDevices().get<std::string>("1.protocol"), "POS2KProV1");

    EXPECT_EQ(detect.GetAllSortedID(ecase_), (Ids{1, 2}));
    EXPECT_EQ(ctl.GetLogicDeviceParam(1, Type::Protocol, ecase_), "POS2KProV1");
    ctl.SetCurrentLogicDevice(2, ecase_);
    EXPECT_EQ(detect.GetCurrentLogicDeviceID(ecase_), 2u);
    detect.DeleteLogicDevice(2, ecase_);
    ASSERT_EQ(ecase_, ErrorCase::Correct);
    ctl.GetLogicDeviceParam(2, Type::Name, ecase_);
    EXPECT_EQ(ecase_, ErrorCase::LogicDeviceNotFound);
}

TEST_F(LogicDevicesTest, InvalidUtf8IsRefusedAndChangesNothing) {
    LogicDeviceManager manager;
    const auto before = ReadFile();
    for (const std::string bad : {"\xff\xfe bad", "a\xc3", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80"}) {
        ErrorCase err = ErrorCase::Correct;
        manager.SetLogicDeviceParam(1, Type::Name, bad, err);
        EXPECT_EQ(err, ErrorCase::ParamValueUnsupported);
    }
    EXPECT_EQ(ReadFile(), before);
    manager.SetLogicDeviceParam(1, Type::Name, "Весы \xf0\x9f\x8d\x8e", ecase_);
    ASSERT_EQ(ecase_, ErrorCase::Correct);
    EXPECT_EQ(LogicDeviceManager().GetLogicDeviceParam(1, Type::Name, ecase_), "Весы \xf0\x9f\x8d\x8e");
}

TEST_F(LogicDevicesTest, At101DevicesAddIsRefused) {
    LogicDeviceManager manager;
    for (LogicDeviceId id = 2; id <= LogicDeviceManager::kMaxLogicDevices; ++id) {
        ASSERT_EQ(manager.AddLogicDevice(ecase_), id);
    }
    const auto full = ReadFile();
    EXPECT_EQ(manager.AddLogicDevice(ecase_), 0u);
    EXPECT_EQ(ecase_, ErrorCase::LogicDeviceJSONError);
    EXPECT_EQ(ReadFile(), full);

    ecase_ = ErrorCase::Correct;
    manager.DeleteLogicDevice(50, ecase_);
    EXPECT_EQ(manager.AddLogicDevice(ecase_), 50u);
    EXPECT_EQ(ecase_, ErrorCase::Correct);
}

constexpr const char* kUnreadable = "Failed reading from json file";

// Construction must refuse a file it cannot understand and leave it exactly as the user had it.
TEST_F(LogicDevicesTest, ConstructionFailsOnABrokenFileAndKeepsIt) {
    const std::string objectAsValue =
        "{\"devices\": {\"1\": {\"is-current\": \"true\", \"name\": {\"a\": \"b\"}, \"connection-type\": "
        "\"TCP\", \"end-point\": \"h\", \"baud-rate\": \"9600\", \"model\": \"m\", \"protocol\": \"OKA\"}}}";
    for (const auto& [text, message] : std::initializer_list<std::pair<std::string, const char*>>{
             {"{\"devices\": {", kUnreadable},
             {"", kUnreadable},
             {"{}", nullptr},
             {"{\"other\": {}}", nullptr},
             {"{\"devices\": {}}", nullptr},
             {"{\"devices\": [{\"is-current\": \"true\"}]}", nullptr},
             {Devices({Member("first", "true")}), nullptr},
             {Devices({Member("0", "true")}), nullptr},
             {Devices({Member("-1", "true")}), nullptr},
             {Devices({Member("01", "true")}), nullptr},
             {Devices({Member("4294967296", "true")}), nullptr},
             {Devices({Member("3", "true"), Member("3", "false")}), nullptr},
             {"{\"devices\": {\"1\": {\"is-current\": \"true\"}}}", nullptr},
             {objectAsValue, nullptr}}) {
        SCOPED_TRACE(text);
        WriteFile(text);
        ExpectConstructionFails(ErrorCase::LogicDeviceJSONError, message ? message : "Logic device JSON error");
        EXPECT_EQ(ReadFile(), text);
        EXPECT_TRUE(Leftovers().empty());
    }
}

TEST_F(LogicDevicesTest, AFileThatCannotBeReadIsReported) {
    fs::create_directories(File());
    ExpectConstructionFails(ErrorCase::UnableToOpenFile, kUnreadable);
    EXPECT_TRUE(fs::is_directory(File()));
}

TEST_F(LogicDevicesTest, AFolderThatCannotBeMadeIsReported) {
    std::ofstream(appData_.path() / "NORVELL") << "keep";
    ExpectConstructionFails(ErrorCase::LogicDeviceJSONError,
                            "Cannot create logic-devices-connection-config.json file directory");
    EXPECT_EQ(testsupport::ReadText(appData_.path() / "NORVELL"), "keep");
}

TEST_F(LogicDevicesTest, NoAppDataRootIsReported) {
    const testsupport::ScopedEnv appdata("APPDATA", {}), xdg("XDG_DATA_HOME", {}), home("HOME", {});
    ExpectConstructionFails(ErrorCase::LogicDeviceJSONError,
                            "Cannot create logic-devices-connection-config.json file directory. Environment variable "
                            "APPDATA is not set.");
}

// Lets files grow to a few bytes only, as on a full disk: writes past it fail with EFBIG, for root too.
class FullDisk {
public:
    FullDisk() {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        handler_ = ::signal(SIGXFSZ, SIG_IGN);
        const rlimit tiny{16, old_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &tiny);
    }
    ~FullDisk() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        ::signal(SIGXFSZ, handler_);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

private:
    rlimit old_{};
    sighandler_t handler_{};
};

// Every change that fails to write leaves the file, the memory of the registry and the folder as they were.
TEST_F(LogicDevicesTest, AFailedWriteLeavesFileAndMemoryAsTheyWere) {
    const auto memory = [](LogicDeviceManager& manager) {
        ErrorCase ignored = ErrorCase::Correct;
        std::string text = "current " + std::to_string(manager.GetCurrentLogicDeviceID(ignored));
        for (const auto id : manager.GetAllSortedID(ignored)) {
            text += "; " + std::to_string(id) + " " + manager.GetLogicDeviceParam(id, Type::IsCurrent, ignored) + " " +
                    manager.GetLogicDeviceParam(id, Type::Name, ignored);
        }
        return text;
    };
    using Change = std::function<void(LogicDeviceManager&, ErrorCase&)>;
    for (const Change& change : {Change([](auto&m, auto&e) { m.AddLogicDevice(e); }),
                                 Change([](auto&m, auto&e) { m.DeleteLogicDevice(1, e); }),
                                 Change([](auto&m, auto&e) { m.SetLogicDeviceParam(2, Type::Name, "new", e); }),
                                 Change([](auto&m, auto&e) { m.SetCurrentLogicDevice(2, e); })}) {
        WriteFile(Devices({Member("1", "true"), Member("2", "false")}));
        LogicDeviceManager manager;
        const auto file = ReadFile();
        const auto before = memory(manager);
        {
            FullDisk full;
            try {
                change(manager, ecase_);
                ADD_FAILURE() << "the write did not fail";
            } catch (const driver::DriverError& error) {
                EXPECT_EQ(error.code(), ErrorCase::UnableToOpenFile);
            }
        }
        EXPECT_EQ(ReadFile(), file);
        EXPECT_EQ(memory(manager), before);
        EXPECT_TRUE(Leftovers().empty());

        change(manager, ecase_);
        EXPECT_EQ(ecase_, ErrorCase::Correct);
        EXPECT_NE(ReadFile(), file);
    }
}

}  // namespace
