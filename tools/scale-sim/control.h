#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "reply-scheduler.h"
#include "scale-state.h"

namespace scale_sim {

struct ControlResult {
    std::string reply;  // one line without line break; empty: nothing to print
    bool quit = false;
};

// The line commands on standard input that drive the scale from a test or a person.
// Every command gets exactly one answer line: "ok", "error: ..." or the value asked for.
class Control {
public:
    // `link_status`: text about the line for "status" (endpoint, whether a host is there).
    Control(ScaleState& state, Faults& faults, std::function<std::string()> link_status)
        : state_(state), faults_(faults), link_status_(std::move(link_status)) {}

    ControlResult Execute(std::string_view line);

    // "help": the commands on one line.
    static std::string Summary();
    // The commands for --help, one a line.
    static std::string HelpLines();

private:
    std::string Run(std::string_view command, std::string_view args, bool& quit);

    ScaleState& state_;
    Faults& faults_;
    std::function<std::string()> link_status_;
};

}  // namespace scale_sim
