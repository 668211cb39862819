// log, version: the driver's settings that need no scale.
#include <CLI/CLI.hpp>

#include <array>

#include "balvex-keys.h"
#include "context.h"
#include "ctl-error.h"

#ifndef SCALECTL_VERSION
#define SCALECTL_VERSION "unknown"
#endif

namespace scalectl {

namespace {

constexpr std::array<std::string_view, 6> kLevels = {"trace", "debug", "info", "warning", "error", "critical"};

// The driver stores any text and falls back to all defaults at the next start when one is wrong,
// so a bad value is refused here instead.
void CheckLogSetting(const std::string& key, const std::string& value) {
    if (key == "file_name") {
        if (value.empty() || value.find('/') != std::string::npos) {
            throw UsageError("file_name must be a plain file name, not \"" + value + "\"");
        }
    } else if (key == "max_size" || key == "max_files") {
        const bool positive = IsUnsigned(value) && value.find_first_not_of('0') != std::string::npos;
        const std::size_t digits = key == "max_size" ? 18 : 9;
        if (!positive || value.size() > digits) throw UsageError(key + " must be a whole number of at least 1");
    } else if (key == "severity_level") {
        bool known = false;
        for (auto level : kLevels) known = known || level == value;
        if (!known) {
            throw UsageError("severity_level must be one of trace, debug, info, warning, error, critical, not \"" +
                             value + "\"");
        }
    } else {
        throw UsageError("unknown log setting \"" + key + "\" (file_name, max_size, max_files, severity_level)");
    }
}

driver::LoggingSettings ParseLogSettings(const std::vector<std::string>& assignments) {
    driver::LoggingSettings settings;
    for (const auto& assignment : assignments) {
        const auto equals = assignment.find('=');
        if (equals == std::string::npos) throw UsageError("expected KEY=VALUE, not \"" + assignment + "\"");
        const auto key = assignment.substr(0, equals);
        const auto value = assignment.substr(equals + 1);
        CheckLogSetting(key, value);
        settings[key] = value;
    }
    return settings;
}

void Log(const Context& context, const std::vector<std::string>& assignments) {
    const auto changes = ParseLogSettings(assignments);
    MarkLog();
    if (!changes.empty()) Check(change_logging_config_file(changes), "cannot write the logging settings");
    driver::LoggingSettings settings;
    MarkLog();
    Check(get_data_from_log_config_file(settings), "cannot read the logging settings");
    std::string folder;
    MarkLog();
    Check(GetLoggingPath(folder));
    if (context.options.json) {
        JsonLine json;
        json.Text("folder", folder);
        for (const auto& [key, value] : settings) json.Text(key, value);
        context.Emit(json, {});
        return;
    }
    std::vector<TableRow> rows = {{"folder", folder}};
    for (const auto& [key, value] : settings) rows.push_back({key, value});
    context.EmitTable(rows);
}

void Version(const Context& context) {
    std::string driverVersion;
    MarkLog();
    Check(GetCurrentVersion(driverVersion));
    context.Emit(JsonLine().Text("scalectl", SCALECTL_VERSION).Text("driver", driverVersion),
                 TableText({{"scalectl", SCALECTL_VERSION}, {"driver", driverVersion}}));
}

}  // namespace

void AddInfoCommands(CLI::App& app, Context& context) {
    auto assignments = std::make_shared<std::vector<std::string>>();
    auto* log = app.add_subcommand("log", "Show the logging settings, or change them with KEY=VALUE");
    log->add_option("KEY=VALUE", *assignments, "file_name, max_size, max_files or severity_level");
    log->callback(
        [&context, assignments] { context.action = [&context, assignments] { Log(context, *assignments); }; });

    auto* version = app.add_subcommand("version", "Show the versions of scalectl and the driver");
    version->callback([&context] { context.action = [&context] { Version(context); }; });
}

}  // namespace scalectl
