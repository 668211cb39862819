#include "log-cause.h"

#include <driver/driver.h>
#include <sys/stat.h>

#include <fstream>
#include <optional>
#include <vector>

namespace scalectl {

namespace {

struct Mark {
    std::string path;
    std::optional<std::uint64_t> size;  // empty when the log did not exist yet
};

Mark& TheMark() {
    static Mark mark;
    return mark;
}

// The log file, looked up once: the logging settings name it inside the log folder.
const std::string& LogPath() {
    static const std::string path = [] {
        std::string folder;
        driver::LoggingSettings settings;
        if (GetLoggingPath(folder) != 0 || folder.empty()) return std::string();
        get_data_from_log_config_file(settings);
        const auto name = settings.find("file_name");
        return folder + "/" + (name == settings.end() || name->second.empty() ? "driver.log" : name->second);
    }();
    return path;
}

std::optional<std::uint64_t> SizeOf(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

}  // namespace

void MarkLog() {
    auto& mark = TheMark();
    mark.path = LogPath();
    mark.size = SizeOf(mark.path);
}

std::string LoggedCause() {
    const auto& mark = TheMark();
    if (mark.path.empty()) return {};
    const auto size = SizeOf(mark.path);
    if (!size) return {};
    // A log that rotated during the call starts over in a new file.
    const std::uint64_t from = mark.size && *mark.size <= *size ? *mark.size : 0;
    std::ifstream in(mark.path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(from));
    std::vector<std::string> causes;
    for (std::string line; std::getline(in, line);) {
        auto cause = CauseOfLogLine(line);
        if (cause.empty()) continue;
        bool seen = false;
        for (const auto& earlier : causes) seen = seen || earlier == cause;
        if (!seen) causes.push_back(std::move(cause));
    }
    std::string joined;
    for (const auto& cause : causes) joined += (joined.empty() ? "" : "; ") + cause;
    return EscapeControls(joined);
}

}  // namespace scalectl
