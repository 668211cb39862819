// The exported interface as a caller sees it, through libdriver.so.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "support/temp-dir.h"

using driver::Command;
using driver::DeviceHandle;
using driver::ErrorCase;
using driver::LogicDeviceId;
using driver::LogicDeviceParamType;
using driver::Option;
using driver::ParamType;

namespace {

constexpr std::int32_t Code(ErrorCase e) {
    return static_cast<std::int32_t>(e);
}

std::string ReadLog() {
    std::string folder;
    GetLoggingPath(folder);
    std::ifstream in(folder + "/driver.log");
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class Exports : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(create(&handle_), Code(ErrorCase::Correct)); }
    void TearDown() override {
        if (handle_ != nullptr) destroy(&handle_);
    }
    DeviceHandle handle_ = nullptr;
};

// Calls every device export with handle h and returns the codes in a fixed order.
std::vector<std::int32_t> CallEveryDeviceExport(DeviceHandle h) {
    std::vector<std::int32_t> codes;
    std::string text = "kept";
    bool flag = true;
    LogicDeviceId id = 7;
    std::vector<LogicDeviceId> ids{9};
    const ParamType weight = ParamType::Weight;
    const Option baud = Option::BaudRate;
    const Command status = Command::StatusOfWeightChannel;
    const LogicDeviceParamType name = LogicDeviceParamType::Name;
    DeviceHandle copy = h;
    codes.push_back(driver_open(&copy, 1));
    codes.push_back(driver_close(&copy));
    codes.push_back(is_open(&copy, flag));
    codes.push_back(set_param(h, weight, "5"));
    codes.push_back(get_param(h, weight, text));
    codes.push_back(get_input_param(h, weight, text));
    codes.push_back(set_option(h, baud, "9600"));
    codes.push_back(get_option(h, baud, text));
    codes.push_back(execute_command(h, status));
    codes.push_back(add_logic_device(h, id));
    codes.push_back(delete_logic_device(h, id));
    codes.push_back(set_logic_device_param(h, id, name, "x"));
    codes.push_back(get_logic_device_param(h, id, name, text));
    codes.push_back(get_current_logic_device_id(h, id));
    codes.push_back(set_current_logic_device(h, id));
    codes.push_back(get_all_sorted_logic_device_id(h, ids));
    codes.push_back(get_protocol(h, text));
    // Outputs keep what they held.
    EXPECT_EQ(text, "kept");
    EXPECT_TRUE(flag);
    EXPECT_EQ(id, 7u);
    EXPECT_EQ(ids, std::vector<LogicDeviceId>{9});
    return codes;
}

// Adds a logic device with these connection fields and returns its id.
LogicDeviceId AddLogicDevice(DeviceHandle h, const std::string& type, const std::string& endPoint) {
    LogicDeviceId id = 0;
    EXPECT_EQ(add_logic_device(h, id), Code(ErrorCase::Correct));
    for (const auto& [field, text] :
         {std::pair{LogicDeviceParamType::Name, std::string("export")},
          std::pair{LogicDeviceParamType::ConnectionType, type}, std::pair{LogicDeviceParamType::EndPoint, endPoint},
          std::pair{LogicDeviceParamType::BaudRate, std::string("9600")},
          std::pair{LogicDeviceParamType::Model, std::string("auto")},
          std::pair{LogicDeviceParamType::Protocol, std::string("POS2K")}})
        EXPECT_EQ(set_logic_device_param(h, id, field, text), Code(ErrorCase::Correct));
    return id;
}

}  // namespace

// This program is linked with libdriver.so, which exports "open" and "close": its own calls and a
// plain global lookup must still reach the C library, and the library's exports its own.
TEST(ExportNames, OpenAndCloseOfTheProgramStayTheCLibrarys) {
    void* const cOpen = dlvsym(RTLD_DEFAULT, "open", "GLIBC_2.2.5");
    EXPECT_EQ(dlsym(RTLD_DEFAULT, "open"), cOpen);
    EXPECT_NE(dlvsym(RTLD_DEFAULT, "open", DRIVER_VERSION_NODE), cOpen);
    EXPECT_NE(dlvsym(RTLD_DEFAULT, "close", DRIVER_VERSION_NODE), nullptr);

    testsupport::TempDir dir;
    const std::string file = (dir.path() / "own-file").string();
    const int fd = ::open(file.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::close(fd), 0);
    EXPECT_EQ(::fcntl(fd, F_GETFD), -1) << "the descriptor is still open";
}

TEST(ExportHandles, EveryDeviceExportRefusesNullUnknownAndDestroyedHandles) {
    const std::vector<std::int32_t> invalid(17, Code(ErrorCase::HandleInvalid));
    EXPECT_EQ(CallEveryDeviceExport(nullptr), invalid);

    int notADevice = 0;
    EXPECT_EQ(CallEveryDeviceExport(&notADevice), invalid);

    DeviceHandle h = nullptr;
    ASSERT_EQ(create(&h), Code(ErrorCase::Correct));
    DeviceHandle stale = h;
    ASSERT_EQ(destroy(&h), Code(ErrorCase::Correct));
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(CallEveryDeviceExport(stale), invalid);
    EXPECT_NE(ReadLog().find("DeviceManager::GetDevicePosition(), dhandle is nullptr."), std::string::npos);
    EXPECT_NE(ReadLog().find("DeviceManager::GetDevicePosition(), dhandle was not found."), std::string::npos);
}

TEST(ExportHandles, CreateAndDestroy) {
    DeviceHandle first = nullptr, second = nullptr;
    ASSERT_EQ(create(&first), Code(ErrorCase::Correct));
    ASSERT_EQ(create(&second), Code(ErrorCase::Correct));
    EXPECT_NE(first, nullptr);
    EXPECT_NE(first, second);
    bool open = true;
    EXPECT_EQ(is_open(&first, open), Code(ErrorCase::Correct));
    EXPECT_FALSE(open);

    DeviceHandle copy = first;
    EXPECT_EQ(destroy(&first), Code(ErrorCase::Correct));
    EXPECT_EQ(destroy(&copy), Code(ErrorCase::HandleDoesNotExist));
    DeviceHandle none = nullptr;
    EXPECT_EQ(destroy(&none), Code(ErrorCase::HandleNull));
    EXPECT_EQ(create(nullptr), Code(ErrorCase::IncorrectArgumnts));

    // The second device still works.
    EXPECT_EQ(set_param(second, ParamType::Weight, "5"), Code(ErrorCase::Correct));
    EXPECT_EQ(destroy(&second), Code(ErrorCase::Correct));
}

TEST_F(Exports, ParameterStoreKeepsInputAndOutputApart) {
    std::string value;
    EXPECT_EQ(set_param(handle_, ParamType::Weight, "5"), Code(ErrorCase::Correct));
    EXPECT_EQ(get_input_param(handle_, ParamType::Weight, value), Code(ErrorCase::Correct));
    EXPECT_EQ(value, "5");

    value = "old";
    EXPECT_EQ(get_param(handle_, ParamType::Weight, value), Code(ErrorCase::ParamTypeIsNotSetToGet));
    EXPECT_EQ(value, "");  // the work returned normally: the empty text is assigned
    // An unset value is an answer, not a failure: callers poll for it.
    EXPECT_NE(ReadLog().find("[info] Norvell::Balvex::Driver::driver-native, Driver::get_param(), ended with "
                             "ParamTypeIsNotSetToGet"),
              std::string::npos);

    EXPECT_EQ(set_param(handle_, ParamType::SerialNumber, ""), Code(ErrorCase::Correct));
    EXPECT_EQ(get_input_param(handle_, ParamType::SerialNumber, value), Code(ErrorCase::ParamTypeIsNotSetToGet));
}

TEST_F(Exports, ValuesOutsideTheVocabularyNeverReportSuccess) {
    const auto badCommand = static_cast<Command>(66);
    EXPECT_EQ(execute_command(handle_, badCommand), Code(ErrorCase::CommandUnknown));

    const auto badParam = static_cast<ParamType>(26);
    std::string value = "kept";
    EXPECT_EQ(set_param(handle_, badParam, "1"), Code(ErrorCase::ParamTypeUnknown));
    EXPECT_EQ(get_param(handle_, badParam, value), Code(ErrorCase::ParamTypeUnknown));
    EXPECT_EQ(value, "kept");

    const auto badOption = static_cast<Option>(8);
    EXPECT_EQ(set_option(handle_, badOption, "1"), Code(ErrorCase::OptionUnknown));

    std::wstring description = L"kept";
    const ErrorCase correct = ErrorCase::Correct;
    const std::int32_t russian = 1, english = 2, unknownLanguage = 3;
    EXPECT_EQ(get_error_case_description(correct, unknownLanguage, description), Code(ErrorCase::IncorrectArgumnts));
    EXPECT_EQ(description, L"kept");
    const ErrorCase noText = ErrorCase::ErrorCaseUnknown;
    EXPECT_EQ(get_error_case_description(noText, russian, description), Code(ErrorCase::IncorrectArgumnts));
    const auto badCase = static_cast<ErrorCase>(39);
    EXPECT_EQ(get_error_case_description(badCase, english, description), Code(ErrorCase::IncorrectArgumnts));

    const std::uint32_t badMode = 4;
    EXPECT_EQ(LoggingSetMode(badMode), Code(ErrorCase::IncorrectArgumnts));

    const auto badLogicParam = static_cast<LogicDeviceParamType>(8);
    EXPECT_EQ(get_logic_device_param(handle_, 1, badLogicParam, value), Code(ErrorCase::IncorrectArgumnts));
    EXPECT_NE(ReadLog().find("RunFunction() catch (...), Driver::execute_command(), ecase: Correct"),
              std::string::npos);
}

TEST(ExportMisc, VersionLoggingPathAndDescriptionsNeedNoHandle) {
    std::wstring text;
    EXPECT_EQ(get_error_case_description(ErrorCase::Correct, 2, text), Code(ErrorCase::Correct));
    EXPECT_EQ(text, L"Success");
    EXPECT_EQ(get_error_case_description(ErrorCase::Correct, 1, text), Code(ErrorCase::Correct));
    EXPECT_EQ(text, L"Успешно");
    std::string version, path;
    EXPECT_EQ(GetCurrentVersion(version), Code(ErrorCase::Correct));
    EXPECT_EQ(version, "1.1.3");
    EXPECT_EQ(GetLoggingPath(path), Code(ErrorCase::Correct));
    EXPECT_EQ(path, std::string(std::getenv("APPDATA")) + "/NORVELL/Ponderix/logs");
}

// In a fresh process, so the logging is not already running when the path is asked for.
TEST(ExportMisc, TheLoggingPathExistsOnceAskedFor) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::string path;
            const bool exists = GetLoggingPath(path) == 0 && std::filesystem::is_directory(path);
            std::error_code ignored;
            std::filesystem::remove_all(std::getenv("APPDATA"), ignored);
            std::_Exit(exists ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(Exports, OptionsAndCommandsNeedAnOpenConnection) {
    std::string value = "kept";
    EXPECT_EQ(set_option(handle_, Option::BaudRate, "9600"), Code(ErrorCase::ConnectionError));
    EXPECT_EQ(get_option(handle_, Option::BaudRate, value), Code(ErrorCase::ConnectionError));
    EXPECT_EQ(execute_command(handle_, Command::StatusOfWeightChannel), Code(ErrorCase::ConnectionError));
    // A failure reported by its code alone still leaves a line naming the call and the code.
    EXPECT_NE(ReadLog().find("[error] Norvell::Balvex::Driver::driver-native, Driver::execute_command(), ended with "
                             "ConnectionError"),
              std::string::npos);
}

TEST_F(Exports, OpenRefusesAnUnknownConnectionTypeAMissingPortAndAnIncompleteLogicDevice) {
    LogicDeviceId id = 0;
    ASSERT_EQ(add_logic_device(handle_, id), Code(ErrorCase::Correct));
    EXPECT_EQ(driver_open(&handle_, id), Code(ErrorCase::NotAllParamsAreSetInLogicDevice));
    EXPECT_EQ(driver_open(&handle_, 4242), Code(ErrorCase::LogicDeviceNotFound));

    EXPECT_EQ(driver_open(&handle_, AddLogicDevice(handle_, "Pigeon Post", "roof")),
              Code(ErrorCase::ParamValueUnsupported));
    bool flag = true;
    EXPECT_EQ(is_open(&handle_, flag), Code(ErrorCase::Correct));
    EXPECT_FALSE(flag);
    std::string protocol;
    EXPECT_EQ(get_protocol(handle_, protocol), Code(ErrorCase::Correct));
    EXPECT_EQ(protocol, "POS2K");

    EXPECT_EQ(driver_open(&handle_, AddLogicDevice(handle_, "Serial Port", "/dev/ttyUSB-not-there")),
              Code(ErrorCase::UnableToOpenSerialPort));
    EXPECT_EQ(execute_command(handle_, Command::StatusOfWeightChannel), Code(ErrorCase::ConnectionError));
}
