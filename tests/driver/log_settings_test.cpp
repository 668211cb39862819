#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "store/log-settings.h"
#include "support/temp-dir.h"

namespace {

using driver::LoggingSettings;
using driver::LogLevel;
namespace logging = driver::logging;

class LogSettingsFileTest : public ::testing::Test {
protected:
    std::string Path() const { return (dir_.path() / "config.ini").string(); }
    void Put(const std::string& text) const { std::ofstream(Path(), std::ios::binary) << text; }
    std::string Contents() const {
        std::ostringstream text;
        text << std::ifstream(Path(), std::ios::binary).rdbuf();
        return text.str();
    }

    testsupport::TempDir dir_;
};

TEST_F(LogSettingsFileTest, ReadingTrimsSplitsAtFirstEqualsAndKeepsLastDuplicate) {
    Put("  max_files\t=  5  \nno equals sign\nfile_name = first.log\nfile_name=second.log\nodd = a=b\nempty =\n");
    const LoggingSettings expected{{"max_files", "5"}, {"file_name", "second.log"}, {"odd", "a=b"}, {"empty", ""}};
    EXPECT_EQ(logging::ReadSettingsFile(Path()), expected);
}

TEST_F(LogSettingsFileTest, WritersReplaceTheWholeFileAndLeaveNoTemporaryBehind) {
    EXPECT_FALSE(logging::ReadSettingsFile(Path()).has_value());
    Put(std::string(4096, 'x'));
    ASSERT_TRUE(logging::WriteDefaultSettingsFile(Path()));
    EXPECT_EQ(Contents(), "file_name = driver.log\nmax_size = 104857600\nmax_files = 10\nseverity_level = trace\n");
    ASSERT_TRUE(logging::WriteSettingsFile(Path(), {{"severity_level", "error"}, {"file_name", "a.log"}}));
    EXPECT_EQ(Contents(), "file_name = a.log\nseverity_level = error\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1);
}

TEST_F(LogSettingsFileTest, AFolderInPlaceOfTheFileCanBeNeitherReadNorReplaced) {
    std::filesystem::create_directory(Path());
    EXPECT_FALSE(logging::ReadSettingsFile(Path()).has_value());
    EXPECT_FALSE(logging::WriteDefaultSettingsFile(Path()));
    EXPECT_TRUE(std::filesystem::is_directory(Path()));
}

TEST(LogSettingsTest, CompletingFillsMissingAndEmptyKeysOnly) {
    LoggingSettings settings{{"severity_level", "error"}, {"max_files", ""}, {"extra", "kept"}};
    EXPECT_TRUE(logging::CompleteSettings(settings));
    const LoggingSettings expected{{"severity_level", "error"},
                                   {"max_files", "10"},
                                   {"extra", "kept"},
                                   {"file_name", "driver.log"},
                                   {"max_size", "104857600"}};
    EXPECT_EQ(settings, expected);
    EXPECT_FALSE(logging::CompleteSettings(settings));
}

TEST(LogSettingsTest, ConvertsCompleteSettingsWithExactLevelNames) {
    LoggingSettings settings{{"max_size", "5000000000"}, {"severity_level", "warning"}};
    logging::CompleteSettings(settings);
    const logging::LogConfig config = logging::ToConfig(settings);
    EXPECT_EQ(config.fileName, "driver.log");
    EXPECT_EQ(config.maxSize, 5000000000u);
    EXPECT_EQ(config.maxFiles, 10u);
    EXPECT_EQ(config.level, LogLevel::Warning);
    EXPECT_EQ(logging::LevelFromName("critical"), LogLevel::Critical);
    for (const char* name : {"Warning", "warn", "err", "off", " info"}) EXPECT_FALSE(logging::LevelFromName(name));
}

struct BadValue {
    const char* key;
    const char* value;
    const char* message;
};

class LogSettingsBadValueTest : public ::testing::TestWithParam<BadValue> {};

TEST_P(LogSettingsBadValueTest, ConversionFailsWithItsMessage) {
    LoggingSettings settings{{GetParam().key, GetParam().value}};
    logging::CompleteSettings(settings);
    try {
        logging::ToConfig(settings);
        ADD_FAILURE() << "accepted " << GetParam().key << " = " << GetParam().value;
    } catch (const std::exception& error) {
        EXPECT_STREQ(error.what(), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(Values, LogSettingsBadValueTest,
                         ::testing::Values(BadValue{"max_size", "0", "Invalid max_size"},
                                           BadValue{"max_size", "-7", "Invalid max_size"},
                                           BadValue{"max_size", "big", "invalid stoll argument"},
                                           BadValue{"max_size", "99999999999999999999", "stoll argument out of range"},
                                           BadValue{"max_files", "0", "Invalid max_files"},
                                           BadValue{"max_files", "ten", "invalid stoi argument"},
                                           BadValue{"max_files", "3000000000", "stoi argument out of range"},
                                           BadValue{"severity_level", "Warning", "Invalid severity level: Warning"}));

}  // namespace
