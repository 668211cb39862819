#include "log/logging.h"

#include <spdlog/sinks/rotating_file_sink.h>
#include <spdlog/spdlog.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <system_error>

#include "driver-error.h"
#include "store/app-data.h"
#include "store/log-settings.h"

namespace driver::logging {

namespace {

constexpr const char* kLoggerName = "file_logger";
constexpr const char* kPattern = "[%Y-%m-%d %H:%M:%S.%e] [%l] %v";
constexpr const char* kFormatError = "Utility, formating, critical error, sub str not found";

spdlog::level::level_enum ToSpdlog(LogLevel level) {
    return static_cast<spdlog::level::level_enum>(level);
}

// The process-wide logger and the settings file it was built from.
class State {
public:
    explicit State(const std::string& folder) { Start(folder); }

    // Creates the folder and the default settings file where needed, then builds the logger.
    void Start(const std::string& folder) {
        std::lock_guard lock(mutex_);
        folder_ = folder;
        settingsPath_ = folder + "/config.ini";
        Install(nullptr);
        spdlog::drop(kLoggerName);
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error) {
            std::cerr << "Unable to create the log folder " << folder << ": " << error.message() << '\n';
            return;
        }
        if (!std::ifstream(settingsPath_).is_open()) WriteDefaultSettingsFile(settingsPath_);
        Configure();
    }

    // Read on every log call, so it is one relaxed load instead of a lock.
    bool Enabled(LogLevel level) const noexcept {
        return static_cast<int>(level) >= threshold_.load(std::memory_order_relaxed);
    }

    void Write(LogLevel level, const std::string& message) {
        std::shared_ptr<spdlog::logger> logger;
        {
            std::lock_guard lock(mutex_);
            logger = logger_;
        }
        // The message is finished text, never a format string.
        if (logger) logger->log(spdlog::source_loc{}, ToSpdlog(level), spdlog::string_view_t(message));
    }

    void SetLevel(LogLevel level) {
        std::lock_guard lock(mutex_);
        spdlog::set_level(ToSpdlog(level));
        if (!logger_) return;
        logger_->set_level(ToSpdlog(level));
        threshold_.store(static_cast<int>(level), std::memory_order_relaxed);
    }

    ErrorCase Read(LoggingSettings& settings) {
        std::lock_guard lock(mutex_);
        auto read = ReadSettingsFile(settingsPath_);
        settings = read.value_or(LoggingSettings{});
        return read ? ErrorCase::Correct : ErrorCase::UnableToOpenFile;
    }

    ErrorCase Change(const LoggingSettings& settings) {
        std::lock_guard lock(mutex_);
        auto merged = ReadSettingsFile(settingsPath_);
        if (!merged) return ErrorCase::UnableToOpenFile;
        for (const auto& [key, value] : settings) (*merged)[key] = value;
        if (!WriteSettingsFile(settingsPath_, *merged)) {
            std::cerr << "Failed to open config file for writing.\n";
            return ErrorCase::UnableToOpenFile;
        }
        Install(nullptr);
        spdlog::drop_all();
        Configure();
        return ErrorCase::Correct;
    }

private:
    // Caller holds the lock. A bad setting leaves the run without a file log and the defaults on disk.
    void Configure() {
        auto settings = ReadSettingsFile(settingsPath_).value_or(LoggingSettings{});
        const bool completed = CompleteSettings(settings);
        try {
            const LogConfig config = ToConfig(settings);
            // Only the missing keys get defaults; what the user set and is valid stays.
            if (completed) WriteSettingsFile(settingsPath_, settings);
            auto sink = std::make_shared<spdlog::sinks::rotating_file_sink_mt>(folder_ + "/" + config.fileName,
                                                                               config.maxSize, config.maxFiles, false);
            auto logger = std::make_shared<spdlog::logger>(kLoggerName, std::move(sink));
            logger->set_pattern(kPattern);
            logger->set_level(ToSpdlog(config.level));
            logger->flush_on(spdlog::level::trace);
            spdlog::set_default_logger(logger);
            Install(std::move(logger));
        } catch (const std::exception& error) {
            std::cerr << "Error in config values: " << error.what() << '\n';
            WriteDefaultSettingsFile(settingsPath_);
        }
    }

    void Install(std::shared_ptr<spdlog::logger> logger) {
        const int threshold = logger ? static_cast<int>(logger->level()) : static_cast<int>(spdlog::level::off);
        logger_ = std::move(logger);
        threshold_.store(threshold, std::memory_order_relaxed);
    }

    std::mutex mutex_;
    std::string folder_;
    std::string settingsPath_;
    std::shared_ptr<spdlog::logger> logger_;
    std::atomic<int> threshold_{static_cast<int>(spdlog::level::off)};
};

// Never destroyed: devices still log while the library unloads.
State& GetState() {
    static State* const state = new State(LogFolder());
    return *state;
}

}  // namespace

std::string Format(std::string_view text, std::string_view argument) {
    const auto at = text.find('@');
    if (at == std::string_view::npos) throw std::logic_error(kFormatError);
    std::string result(text.substr(0, at));
    result.append(argument).append(text.substr(at + 1));
    return result;
}

std::string FormatAll(std::string_view text, std::initializer_list<std::string_view> arguments) {
    std::string result;
    std::size_t from = 0;
    for (const std::string_view argument : arguments) {
        const auto at = text.find('@', from);
        if (at == std::string_view::npos) throw std::logic_error(kFormatError);
        result.append(text.substr(from, at - from)).append(argument);
        from = at + 1;
    }
    result.append(text.substr(from));
    return result;
}

bool Enabled(LogLevel level) {
    return GetState().Enabled(level);
}

void Write(LogLevel level, const std::string& message) {
    GetState().Write(level, message);
}

const std::string& LogFolder() {
    static const std::string* const folder = new std::string(AppDataRoot() + "/NORVELL/Ponderix/logs");
    return *folder;
}

const std::string& StartedLogFolder() {
    GetState();
    return LogFolder();
}

void SetMode(std::uint32_t mode) {
    static constexpr LogLevel levels[] = {LogLevel::Trace, LogLevel::Info, LogLevel::Warning, LogLevel::Error};
    if (mode >= std::size(levels)) {
        throw DriverError(ErrorCase::IncorrectArgumnts, "Logging::SetMode, Unknown logmode.");
    }
    GetState().SetLevel(levels[mode]);
}

ErrorCase ReadSettings(LoggingSettings& settings) {
    LogTrace("driver-native", "get_data_from_log_config_file(), reading the logging settings");
    return GetState().Read(settings);
}

ErrorCase ChangeSettings(const LoggingSettings& settings) {
    LogTrace("driver-native", "change_logging_config_file(), merging @ setting(s) and restarting the log",
             settings.size());
    // Checked before anything is written: the log must not land outside its folder.
    const auto fileName = settings.find("file_name");
    if (fileName != settings.end() && !IsLogFileNameAllowed(fileName->second)) {
        LogError("driver-native", "change_logging_config_file(), file_name [@] leaves the log folder",
                 fileName->second);
        return ErrorCase::ParamValueUnsupported;
    }
    return GetState().Change(settings);
}

void Restart(const std::string& folder) {
    GetState().Start(folder);
}

}  // namespace driver::logging
