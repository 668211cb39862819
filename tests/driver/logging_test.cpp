#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>

#include "driver-error.h"
#include "log/logging.h"
#include "support/temp-dir.h"

namespace {

using driver::ErrorCase;
using driver::LoggingSettings;
using driver::LogLevel;
namespace logging = driver::logging;

const std::string kDefaultFile =
    "file_name = driver.log\nmax_size = 104857600\nmax_files = 10\nseverity_level = trace\n";

std::string Contents(const std::filesystem::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

bool Contains(const std::filesystem::path& path, const std::string& part) {
    return Contents(path).find(part) != std::string::npos;
}

TEST(FormatTest, PlaceholdersFillLeftToRightWithoutRescanning) {
    EXPECT_EQ(logging::Format("a@b@c", "X"), "aXb@c");
    EXPECT_EQ(logging::FormatAll("a@b@c", {"X"}), "aXb@c");
    EXPECT_EQ(logging::FormatAll("[@] [@]", {"user@host", "2"}), "[user@host] [2]");
    EXPECT_EQ(logging::FormatAll("none", {}), "none");
    for (const auto& call : {+[] { logging::Format("abc", "X"); }, +[] { logging::FormatAll("one @", {"1", "2"}); }}) {
        try {
            call();
            ADD_FAILURE() << "an argument without a placeholder was accepted";
        } catch (const std::logic_error& error) {
            EXPECT_STREQ(error.what(), "Utility, formating, critical error, sub str not found");
        }
    }
}

TEST(LogFolderTest, IsComputedOnceUnderTheAppDataRoot) {
    const std::string& folder = logging::LogFolder();
    EXPECT_TRUE(folder.ends_with("/NORVELL/Ponderix/logs")) << folder;
    EXPECT_EQ(&folder, &logging::LogFolder());
}

// Each test runs the process-wide logging in its own folder and hands the default one back.
class LoggingTest : public ::testing::Test {
protected:
    void TearDown() override { logging::Restart(logging::LogFolder()); }

    std::filesystem::path Config() const { return dir_.path() / "config.ini"; }
    std::filesystem::path LogFile(const char* name = "driver.log") const { return dir_.path() / name; }
    void PutConfig(const std::string& text) const { std::ofstream(Config(), std::ios::binary) << text; }
    void Start() const { logging::Restart(dir_.path().string()); }
    std::string StartCapturingErrors() const {
        ::testing::internal::CaptureStderr();
        Start();
        return ::testing::internal::GetCapturedStderr();
    }

    testsupport::TempDir dir_;
};

TEST_F(LoggingTest, LinesCarryThePatternAndRespectTheLevel) {
    PutConfig("file_name = lines.log\nmax_size = 104857600\nmax_files = 10\nseverity_level = info\n");
    Start();
    EXPECT_FALSE(logging::Enabled(LogLevel::Debug));
    driver::LogTrace("device", "hidden @", 1);
    driver::LogInfo("device", "Device::SetParam(), ptype [@], value [@]", "Weight", 5);
    driver::LogWarning("connection", "careful {} @", true);

    const std::string stamp = R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\] )";
    const std::regex expected(stamp + R"(\[info\] Norvell::Balvex::Driver::device, Device::SetParam\(\), )" +
                              R"(ptype \[Weight\], value \[5\]\n)" + stamp +
                              R"(\[warning\] Norvell::Balvex::Driver::connection, careful \{\} true\n)");
    const std::string text = Contents(LogFile("lines.log"));
    EXPECT_TRUE(std::regex_match(text, expected)) << text;
}

TEST_F(LoggingTest, MissingSettingsAreWrittenAndAnExistingLogIsContinued) {
    std::ofstream(LogFile(), std::ios::binary) << "earlier line\n";
    Start();
    driver::LogTrace("device", "later line");
    EXPECT_EQ(Contents(Config()), kDefaultFile);
    EXPECT_TRUE(Contents(LogFile()).starts_with("earlier line\n"));
    EXPECT_TRUE(Contains(LogFile(), "later line"));
    EXPECT_FALSE(std::filesystem::exists(dir_.path() / "driver.1.log"));
}

TEST_F(LoggingTest, IncompleteSettingsAreCompletedKeepingWhatTheUserSet) {
    PutConfig("severity_level = error\nmax_size = 2048\n");
    EXPECT_EQ(StartCapturingErrors(), "");
    EXPECT_TRUE(logging::Enabled(LogLevel::Error));
    EXPECT_FALSE(logging::Enabled(LogLevel::Warning));
    EXPECT_EQ(Contents(Config()), "file_name = driver.log\nmax_files = 10\nmax_size = 2048\nseverity_level = error\n");
    // The next start finds a complete file and still runs at error.
    EXPECT_EQ(StartCapturingErrors(), "");
    EXPECT_FALSE(logging::Enabled(LogLevel::Warning));
}

TEST_F(LoggingTest, InvalidValuesDisableTheFileLogAndRestoreDefaults) {
    for (const auto& [line, message] :
         {std::pair{"max_size = 0", "Invalid max_size"},
          std::pair{"severity_level = Warning", "Invalid severity level: Warning"},
          std::pair{"file_name = ../outside.log", "Invalid file_name: ../outside.log"},
          std::pair{"file_name = /tmp/outside.log", "Invalid file_name: /tmp/outside.log"}}) {
        PutConfig(std::string(line) + "\nmax_files = 3\n");
        EXPECT_EQ(StartCapturingErrors(), "Error in config values: " + std::string(message) + "\n");
        EXPECT_EQ(Contents(Config()), kDefaultFile);
        EXPECT_FALSE(logging::Enabled(LogLevel::Critical));
        driver::LogError("device", "goes nowhere");
        EXPECT_FALSE(std::filesystem::exists(LogFile()));
        EXPECT_FALSE(std::filesystem::exists(dir_.path().parent_path() / "outside.log"));
    }
}

TEST_F(LoggingTest, SetModeFiltersAndRejectsUnknownModes) {
    Start();
    logging::SetMode(1);
    driver::LogTrace("device", "trace line");
    driver::LogInfo("device", "info line");
    EXPECT_FALSE(Contains(LogFile(), "trace line"));
    EXPECT_TRUE(Contains(LogFile(), "info line"));

    try {
        logging::SetMode(4);
        ADD_FAILURE() << "mode 4 accepted";
    } catch (const driver::DriverError& error) {
        EXPECT_EQ(error.code(), ErrorCase::IncorrectArgumnts);
        EXPECT_STREQ(error.what(), "Logging::SetMode, Unknown logmode.");
    }
    EXPECT_TRUE(logging::Enabled(LogLevel::Info));
    EXPECT_FALSE(logging::Enabled(LogLevel::Debug));
    logging::SetMode(3);
    EXPECT_FALSE(logging::Enabled(LogLevel::Warning));
    EXPECT_EQ(Contents(Config()), kDefaultFile);
}

TEST_F(LoggingTest, ReadSettingsReturnsTheFileOrNothing) {
    Start();
    LoggingSettings settings{{"stale", "value"}};
    EXPECT_EQ(logging::ReadSettings(settings), ErrorCase::Correct);
    const LoggingSettings defaults{
        {"file_name", "driver.log"}, {"max_size", "104857600"}, {"max_files", "10"}, {"severity_level", "trace"}};
    EXPECT_EQ(settings, defaults);
    EXPECT_TRUE(Contains(LogFile(), "Norvell::Balvex::Driver::driver-native, get_data_from_log_config_file()"));

    std::filesystem::remove(Config());
    EXPECT_EQ(logging::ReadSettings(settings), ErrorCase::UnableToOpenFile);
    EXPECT_TRUE(settings.empty());
    EXPECT_EQ(logging::ChangeSettings({{"severity_level", "info"}}), ErrorCase::UnableToOpenFile);
    EXPECT_FALSE(std::filesystem::exists(Config()));
}

TEST_F(LoggingTest, ChangeSettingsMergesWritesAndRestarts) {
    Start();
    EXPECT_EQ(logging::ChangeSettings({{"severity_level", "error"}, {"file_name", "other.log"}}), ErrorCase::Correct);
    EXPECT_EQ(Contents(Config()),
              "file_name = other.log\nmax_files = 10\nmax_size = 104857600\nseverity_level = error\n");
    EXPECT_FALSE(logging::Enabled(LogLevel::Warning));
    driver::LogError("device", "after the change");
    EXPECT_TRUE(Contains(LogFile("other.log"), "after the change"));
    EXPECT_TRUE(Contains(LogFile(), "change_logging_config_file()"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 3);  // no temporary left

    // A log file outside the folder is refused before anything is written.
    for (const char* name : {"../outside.log", "/tmp/outside.log", "sub/../../outside.log", ""}) {
        EXPECT_EQ(logging::ChangeSettings({{"file_name", name}, {"max_files", "4"}}), ErrorCase::ParamValueUnsupported);
        EXPECT_TRUE(Contains(Config(), "file_name = other.log\nmax_files = 10\n")) << name;
    }

    ::testing::internal::CaptureStderr();
    EXPECT_EQ(logging::ChangeSettings({{"max_size", "0"}}), ErrorCase::Correct);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Error in config values: Invalid max_size\n");
    EXPECT_EQ(Contents(Config()), kDefaultFile);
    EXPECT_FALSE(logging::Enabled(LogLevel::Critical));
}

}  // namespace
