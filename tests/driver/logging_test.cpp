#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <stdexcept>
#include <string>

#include "driver-error.h"
#include "log/logging.h"
#include "store/log-settings.h"
#include "support/temp-dir.h"

namespace {

using driver::ErrorCase;
using driver::LoggingSettings;
using driver::LogLevel;
namespace logging = driver::logging;
using testsupport::ReadText;

const std::string kDefaultFile =
    "file_name = driver.log\nmax_size = 104857600\nmax_files = 10\nseverity_level = trace\n";

bool Contains(const std::filesystem::path& path, const std::string& part) {
    return ReadText(path).find(part) != std::string::npos;
}

TEST(FormatTest, PlaceholdersFillLeftToRightWithoutRescanning) {
    EXPECT_EQ(logging::Format("a@b@c", "X"), "aXb@c");
    EXPECT_EQ(logging::FormatAll("a@b@c", {"X"}), "aXb@c");
    EXPECT_EQ(logging::FormatAll("[@] [@]", {"user@host", "2"}), "[user@host] [2]");
    EXPECT_EQ(logging::FormatAll("none", {}), "none");
    EXPECT_THROW(logging::Format("abc", "X"), std::logic_error);
    EXPECT_THROW(logging::FormatAll("one @", {"1", "2"}), std::logic_error);
}

// Each test runs the process-wide logging in its own folder and hands the default one back.
class LoggingTest : public ::testing::Test {
protected:
    void TearDown() override { logging::Restart(logging::LogFolder()); }

    std::filesystem::path Config() const { return dir_.path() / "config.ini"; }
    std::filesystem::path LogFile(const char* name = "driver.log") const { return dir_.path() / name; }
    void PutConfig(const std::string& text) const { testsupport::WriteText(Config(), text); }
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
    const std::string text = ReadText(LogFile("lines.log"));
    EXPECT_TRUE(std::regex_match(text, expected)) << text;
}

TEST_F(LoggingTest, MissingSettingsAreWrittenAndAnExistingLogIsContinued) {
    testsupport::WriteText(LogFile(), "earlier line\n");
    Start();
    driver::LogTrace("device", "later line");
    EXPECT_EQ(ReadText(Config()), kDefaultFile);
    EXPECT_TRUE(ReadText(LogFile()).starts_with("earlier line\n"));
    EXPECT_TRUE(Contains(LogFile(), "later line"));
    EXPECT_FALSE(std::filesystem::exists(dir_.path() / "driver.1.log"));
}

// Missing and empty keys get their default, keys the user set (even unknown ones) stay as they are.
TEST_F(LoggingTest, IncompleteSettingsAreCompletedKeepingWhatTheUserSet) {
    PutConfig("severity_level = error\nmax_size = 2048\nmax_files =\nextra = kept\n");
    EXPECT_EQ(StartCapturingErrors(), "");
    EXPECT_TRUE(logging::Enabled(LogLevel::Error));
    EXPECT_FALSE(logging::Enabled(LogLevel::Warning));
    const std::string completed =
        "extra = kept\nfile_name = driver.log\nmax_files = 10\nmax_size = 2048\nseverity_level = error\n";
    EXPECT_EQ(ReadText(Config()), completed);
    // The next start finds a complete file and still runs at error.
    EXPECT_EQ(StartCapturingErrors(), "");
    EXPECT_FALSE(logging::Enabled(LogLevel::Warning));
}

// Each bad value disables the file log, names itself on the error line and brings the defaults back.
TEST_F(LoggingTest, InvalidValuesDisableTheFileLogAndRestoreDefaults) {
    for (const auto& [line, message] : {std::pair{"max_size = 0", "Invalid max_size"},
                                        {"max_size = -7", "Invalid max_size"},
                                        {"max_size = big", "invalid stoll argument"},
                                        {"max_size = 99999999999999999999", "stoll argument out of range"},
                                        {"max_files = 0", "Invalid max_files"},
                                        {"max_files = ten", "invalid stoi argument"},
                                        {"max_files = 3000000000", "stoi argument out of range"},
                                        {"severity_level = Warning", "Invalid severity level: Warning"},
                                        {"file_name = ../outside.log", "Invalid file_name: ../outside.log"},
                                        {"file_name = /tmp/outside.log", "Invalid file_name: /tmp/outside.log"}}) {
        PutConfig("max_files = 3\n" + std::string(line) + "\n");
        EXPECT_EQ(StartCapturingErrors(), "Error in config values: " + std::string(message) + "\n");
        EXPECT_EQ(ReadText(Config()), kDefaultFile);
        EXPECT_FALSE(logging::Enabled(LogLevel::Critical));
        driver::LogError("device", "goes nowhere");
        EXPECT_FALSE(std::filesystem::exists(LogFile()));
        EXPECT_FALSE(std::filesystem::exists(dir_.path().parent_path() / "outside.log"));
    }
}

TEST_F(LoggingTest, SetModeFiltersAndAnUnknownModeChangesNothing) {
    Start();
    logging::SetMode(1);
    driver::LogTrace("device", "trace line");
    driver::LogInfo("device", "info line");
    EXPECT_FALSE(Contains(LogFile(), "trace line"));
    EXPECT_TRUE(Contains(LogFile(), "info line"));
    EXPECT_THROW(logging::SetMode(4), driver::DriverError);
    EXPECT_TRUE(logging::Enabled(LogLevel::Info));
    EXPECT_FALSE(logging::Enabled(LogLevel::Debug));
    logging::SetMode(3);
    EXPECT_FALSE(logging::Enabled(LogLevel::Warning));
    EXPECT_EQ(ReadText(Config()), kDefaultFile);
}

TEST_F(LoggingTest, ReadSettingsGivesTheFileAndChangeSettingsMergesWritesAndRestarts) {
    Start();
    LoggingSettings settings{{"stale", "value"}};
    EXPECT_EQ(logging::ReadSettings(settings), ErrorCase::Correct);
    const LoggingSettings defaults{
        {"file_name", "driver.log"}, {"max_size", "104857600"}, {"max_files", "10"}, {"severity_level", "trace"}};
    EXPECT_EQ(settings, defaults);
    EXPECT_TRUE(Contains(LogFile(), "Norvell::Balvex::Driver::driver-native, get_data_from_log_config_file()"));

    EXPECT_EQ(logging::ChangeSettings({{"severity_level", "error"}, {"file_name", "other.log"}}), ErrorCase::Correct);
    EXPECT_EQ(ReadText(Config()),
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

    std::filesystem::remove(Config());
    EXPECT_EQ(logging::ReadSettings(settings), ErrorCase::UnableToOpenFile);
    EXPECT_TRUE(settings.empty());
    EXPECT_EQ(logging::ChangeSettings({{"severity_level", "info"}}), ErrorCase::UnableToOpenFile);
    EXPECT_FALSE(std::filesystem::exists(Config()));
}

// ---- The settings file on its own, and its conversion.

TEST_F(LoggingTest, ReadingTrimsSplitsAtFirstEqualsAndKeepsLastDuplicate) {
    PutConfig("  max_files\t=  5  \nno equals sign\nfile_name = first.log\nfile_name=second.log\nodd = a=b\nempty =\n");
    const LoggingSettings expected{{"max_files", "5"}, {"file_name", "second.log"}, {"odd", "a=b"}, {"empty", ""}};
    EXPECT_EQ(logging::ReadSettingsFile(Config()), expected);
}

TEST_F(LoggingTest, WritersReplaceTheWholeFileAndAFolderInItsPlaceStays) {
    EXPECT_FALSE(logging::ReadSettingsFile(Config()).has_value());
    PutConfig(std::string(4096, 'x'));
    ASSERT_TRUE(logging::WriteSettingsFile(Config(), {{"severity_level", "error"}, {"file_name", "a.log"}}));
    EXPECT_EQ(ReadText(Config()), "file_name = a.log\nseverity_level = error\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1);

    std::filesystem::remove(Config());
    std::filesystem::create_directory(Config());
    EXPECT_FALSE(logging::ReadSettingsFile(Config()).has_value());
    EXPECT_FALSE(logging::WriteDefaultSettingsFile(Config()));
    EXPECT_TRUE(std::filesystem::is_directory(Config()));
}

TEST(LogSettingsTest, ConvertsCompleteSettingsWithExactLevelNames) {
    LoggingSettings settings{{"max_size", "5000000000"}, {"severity_level", "warning"}};
    EXPECT_TRUE(logging::CompleteSettings(settings));
    EXPECT_FALSE(logging::CompleteSettings(settings));
    const logging::LogConfig config = logging::ToConfig(settings);
    EXPECT_EQ(config.fileName, "driver.log");
    EXPECT_EQ(config.maxSize, 5000000000u);
    EXPECT_EQ(config.maxFiles, 10u);
    EXPECT_EQ(config.level, LogLevel::Warning);
    EXPECT_EQ(logging::LevelFromName("critical"), LogLevel::Critical);
    for (const char* name : {"Warning", "warn", "err", "off", " info"}) EXPECT_FALSE(logging::LevelFromName(name));
}

}  // namespace
