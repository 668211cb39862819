#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "driver/driver.h"

namespace driver {

enum class LogLevel { Trace = 0, Debug = 1, Info = 2, Warning = 3, Error = 4, Critical = 5 };

namespace logging {

// Replaces the first "@" of text with argument; throws std::logic_error
// "Utility, formating, critical error, sub str not found" when there is none.
std::string Format(std::string_view text, std::string_view argument);

// Fills the placeholders left to right without rescanning substituted text; a placeholder
// without an argument stays "@"; an argument more than the placeholders throws as Format.
std::string FormatAll(std::string_view text, std::initializer_list<std::string_view> arguments);

// True when a line at this level would reach the log (creates the logging state on first use).
bool Enabled(LogLevel level);

// Writes one finished line at the level and flushes.
void Write(LogLevel level, const std::string& message);

// The log folder "<root>/NORVELL/Ponderix/logs", computed once.
const std::string& LogFolder();
// The log folder once the logging state exists, so the folder is there for whoever asked for it.
const std::string& StartedLogFolder();

// Backing of the four logging exports.
void SetMode(std::uint32_t mode);  // throws DriverError (IncorrectArgumnts) "Logging::SetMode, Unknown logmode."
ErrorCase ReadSettings(LoggingSettings& settings);
ErrorCase ChangeSettings(const LoggingSettings& settings);

// Restarts logging from "<folder>/config.ini", writing the log into that folder. The library always
// runs in LogFolder(); this lets tools and tests try a configuration without a new process.
void Restart(const std::string& folder);

template <class T>
std::string ToText(const T& value) {
    if constexpr (std::is_same_v<T, bool>)
        return value ? "true" : "false";
    else if constexpr (std::is_arithmetic_v<T>)
        return std::to_string(value);
    else
        return std::string(value);
}

}  // namespace logging

// Log(level, "device", "Device::SetParam(), ptype [@], value [@]", text, value):
// "Norvell::Balvex::Driver::device, Device::SetParam(), ptype [...], value [...]".
// Nothing is formatted when the level is filtered out.
template <class... Args>
void Log(LogLevel level, std::string_view unit, std::string_view text, const Args&... args) {
    if (!logging::Enabled(level)) return;
    std::string message = "Norvell::Balvex::Driver::";
    message.append(unit).append(", ");
    if constexpr (sizeof...(Args) == 0) {
        message.append(text);
    } else {
        const std::string converted[] = {logging::ToText(args)...};
        message += [&]<std::size_t... I>(std::index_sequence<I...>) {
            return logging::FormatAll(text, {std::string_view(converted[I])...});
        }
        (std::index_sequence_for<Args...>{});
    }
    logging::Write(level, message);
}

template <class... Args>
void LogTrace(std::string_view unit, std::string_view text, const Args&... args) {
    Log(LogLevel::Trace, unit, text, args...);
}
template <class... Args>
void LogInfo(std::string_view unit, std::string_view text, const Args&... args) {
    Log(LogLevel::Info, unit, text, args...);
}
template <class... Args>
void LogWarning(std::string_view unit, std::string_view text, const Args&... args) {
    Log(LogLevel::Warning, unit, text, args...);
}
template <class... Args>
void LogError(std::string_view unit, std::string_view text, const Args&... args) {
    Log(LogLevel::Error, unit, text, args...);
}

}  // namespace driver
