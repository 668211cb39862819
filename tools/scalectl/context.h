#pragma once

#include <driver/driver.h>

#include <functional>
#include <optional>
#include <string>

#include "json-line.h"
#include "text-table.h"

namespace CLI {
class App;
}

namespace scalectl {

using jsonline::JsonLine;

// Options that every subcommand understands.
struct GlobalOptions {
    std::optional<driver::LogicDeviceId> device;
    bool json = false;
    std::string lang = "en";

    std::int32_t Language() const {
        return static_cast<std::int32_t>(lang == "ru" ? driver::Language::Russian : driver::Language::English);
    }
};

// Parsing picks the subcommand; its action runs after the whole command line was accepted.
struct Context {
    GlobalOptions options;
    std::function<void()> action;

    // Prints a JSON line or the human text, whichever the options ask for.
    void Emit(const JsonLine& json, const std::string& human) const;
    void EmitTable(const std::vector<TableRow>& rows) const;
};

void AddDeviceCommands(CLI::App& app, Context& context);
void AddScaleCommands(CLI::App& app, Context& context);
void AddWeightCommands(CLI::App& app, Context& context);
void AddInfoCommands(CLI::App& app, Context& context);

}  // namespace scalectl
