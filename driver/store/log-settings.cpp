#include "store/log-settings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <utility>

namespace driver::logging {

namespace {

// In the order of the default file, which is not the alphabetical order of a written map.
const std::array<std::pair<std::string_view, std::string_view>, 4> kDefaults{{
    {"file_name", "driver.log"},
    {"max_size", "104857600"},
    {"max_files", "10"},
    {"severity_level", "trace"},
}};

std::string_view Trim(std::string_view text) {
    constexpr std::string_view blanks = " \t";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

void AppendLine(std::string& content, std::string_view key, std::string_view value) {
    content.append(key).append(" = ").append(value).append("\n");
}

bool WriteAll(int fd, const std::string& content) {
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += static_cast<std::size_t>(n);
    }
    return true;
}

bool ReplaceFile(const std::string& path, const std::string& content) {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    bool ok = ::fchmod(fd, 0644) == 0 && WriteAll(fd, content) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}

// std::stoll and std::stoi name only the function in their messages; the file's users see these texts.
template <class Convert>
auto ToNumber(const std::string& text, std::string_view name, Convert convert) {
    try {
        return convert(text);
    } catch (const std::invalid_argument&) {
        throw std::invalid_argument("invalid " + std::string(name) + " argument");
    } catch (const std::out_of_range&) {
        throw std::out_of_range(std::string(name) + " argument out of range");
    }
}

}  // namespace

std::optional<LoggingSettings> ReadSettingsFile(const std::string& path) {
    std::ifstream file(path);
    if (!file.is_open()) return std::nullopt;
    LoggingSettings settings;
    std::string line;
    while (std::getline(file, line)) {
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string_view text(line);
        settings[std::string(Trim(text.substr(0, equals)))] = std::string(Trim(text.substr(equals + 1)));
    }
    // A folder opens but cannot be read.
    if (file.bad()) return std::nullopt;
    return settings;
}

bool WriteSettingsFile(const std::string& path, const LoggingSettings& settings) {
    std::string content;
    for (const auto& [key, value] : settings) AppendLine(content, key, value);
    return ReplaceFile(path, content);
}

bool WriteDefaultSettingsFile(const std::string& path) {
    std::string content;
    for (const auto& [key, value] : kDefaults) AppendLine(content, key, value);
    return ReplaceFile(path, content);
}

bool CompleteSettings(LoggingSettings& settings) {
    bool filled = false;
    for (const auto& [key, value] : kDefaults) {
        std::string& current = settings[std::string(key)];
        if (!current.empty()) continue;
        current = value;
        filled = true;
    }
    return filled;
}

std::optional<LogLevel> LevelFromName(std::string_view name) {
    constexpr std::array<std::string_view, 6> names{"trace", "debug", "info", "warning", "error", "critical"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) return static_cast<LogLevel>(i);
    }
    return std::nullopt;
}

bool IsLogFileNameAllowed(const std::string& fileName) {
    const std::filesystem::path path(fileName);
    if (path.empty() || path.is_absolute() || !path.has_filename()) return false;
    return std::none_of(path.begin(), path.end(),
                        [](const std::filesystem::path& part) { return part == "." || part == ".." || part.empty(); });
}

LogConfig ToConfig(const LoggingSettings& settings) {
    LogConfig config;
    config.fileName = settings.at("file_name");
    if (!IsLogFileNameAllowed(config.fileName)) throw std::invalid_argument("Invalid file_name: " + config.fileName);
    const long long maxSize =
        ToNumber(settings.at("max_size"), "stoll", [](const std::string& text) { return std::stoll(text); });
    if (maxSize < 1) throw std::invalid_argument("Invalid max_size");
    config.maxSize = static_cast<std::uint64_t>(maxSize);
    const int maxFiles =
        ToNumber(settings.at("max_files"), "stoi", [](const std::string& text) { return std::stoi(text); });
    if (maxFiles < 1) throw std::invalid_argument("Invalid max_files");
    config.maxFiles = static_cast<std::uint32_t>(maxFiles);
    const std::string& levelName = settings.at("severity_level");
    const auto level = LevelFromName(levelName);
    if (!level) throw std::invalid_argument("Invalid severity level: " + levelName);
    config.level = *level;
    return config;
}

}  // namespace driver::logging
