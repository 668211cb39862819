#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "driver/driver.h"
#include "log/logging.h"

namespace driver::logging {

// What the file logger is built from, converted from the settings file.
struct LogConfig {
    std::string fileName;
    std::uint64_t maxSize = 0;
    std::uint32_t maxFiles = 0;
    LogLevel level = LogLevel::Trace;
};

// Reads "key = value" lines: split at the first "=", spaces and tabs trimmed from both parts, lines
// without "=" skipped, the last of duplicate keys wins. Nothing when the file cannot be opened or read.
std::optional<LoggingSettings> ReadSettingsFile(const std::string& path);

// Both writers replace the file through a temporary file in the same folder and a rename, so a crash
// never leaves a truncated file. False when the file could not be written.
bool WriteSettingsFile(const std::string& path, const LoggingSettings& settings);  // ascending key order
bool WriteDefaultSettingsFile(const std::string& path);

// Puts the default into every key that is missing or empty; true when any was filled in.
bool CompleteSettings(LoggingSettings& settings);

// Exact level names: trace, debug, info, warning, error, critical.
std::optional<LogLevel> LevelFromName(std::string_view name);

// A file_name keeps the log inside the log folder: a relative path without "." or ".." parts.
bool IsLogFileNameAllowed(const std::string& fileName);

// Converts complete settings; throws std::invalid_argument or std::out_of_range with the message
// that goes to the standard error line (for example "Invalid max_size").
LogConfig ToConfig(const LoggingSettings& settings);

}  // namespace driver::logging
