#include "control.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>

#include "wire.h"

namespace scale_sim {
namespace {

const std::string kOk = "ok";

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == kCr)) text.remove_suffix(1);
    return text;
}

std::optional<long long> Number(std::string_view text, long long low, long long high) {
    long long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high) return std::nullopt;
    return value;
}

// An optional count argument: `fallback` when absent.
std::optional<long long> CountOr(std::string_view text, long long fallback, long long high) {
    if (text.empty()) return fallback;
    return Number(text, 0, high);
}

std::optional<bool> Flag(std::string_view text) {
    if (text == "1") return true;
    if (text == "0") return false;
    return std::nullopt;
}

std::string Error(std::string_view what) {
    return "error: " + std::string(what);
}

constexpr long long kMinWeight = std::numeric_limits<std::int32_t>::min();
constexpr long long kMaxWeight = std::numeric_limits<std::int32_t>::max();
constexpr long long kMaxMs = 600000;
constexpr long long kMaxCount = 1000;

// What a command acts on.
struct Target {
    ScaleState& state;
    Faults& faults;
    const std::function<std::string()>& link_status;
    bool& quit;
};

using Handler = std::string (*)(Target&, std::string_view args);

// Grams into `field`.
std::string Grams(std::string_view args, std::int32_t& field) {
    auto value = Number(args, kMinWeight, kMaxWeight);
    if (!value) return Error("expected grams");
    field = static_cast<std::int32_t>(*value);
    return kOk;
}

std::string OnOff(std::string_view args, bool& field) {
    auto on = Flag(args);
    if (!on) return Error("expected 0 or 1");
    field = *on;
    return kOk;
}

std::string Stable(Target& t, std::string_view args) {
    std::string reply = OnOff(args, t.state.stable);
    if (reply == kOk) t.state.requests_until_stable = 0;
    return reply;
}

std::string Settle(Target& t, std::string_view args) {
    auto count = Number(args, 1, 1000000);
    if (!count) return Error("expected a count");
    t.state.stable = false;
    t.state.requests_until_stable = static_cast<int>(*count);
    return kOk;
}

std::string Zero(Target& t, std::string_view args) {
    if (args == "auto")
        t.state.zero_mode = ZeroMode::Auto;
    else if (auto on = Flag(args))
        t.state.zero_mode = *on ? ZeroMode::On : ZeroMode::Off;
    else
        return Error("expected auto, 0 or 1");
    return kOk;
}

std::string UnitOf(Target& t, std::string_view args) {
    auto unit = ParseUnit(args);
    if (!unit) return Error("expected kg, g or lb");
    t.state.unit = *unit;
    return kOk;
}

std::string Protocol(Target& t, std::string_view args) {
    auto protocol = ParseProtocol(args);
    if (!protocol) return Error("expected pos, cas, cas-active or oka");
    t.state.SwitchProtocol(*protocol);
    return kOk;
}

// nak, stray and stray-digits: an optional count with a default.
std::string Count(std::string_view args, long long fallback, int& field) {
    auto count = CountOr(args, fallback, kMaxCount);
    if (!count) return Error("expected a count");
    field = static_cast<int>(*count);
    return kOk;
}

std::string Stray(Target& t, std::string_view args, bool digits) {
    std::string reply = Count(args, 3, t.faults.stray_count);
    if (reply == kOk) t.faults.stray_digits = digits;
    return reply;
}

std::string Milliseconds(std::optional<long long> ms, auto& field) {
    if (!ms) return Error("expected milliseconds");
    field = static_cast<int>(*ms);
    return kOk;
}

std::string Set(Target& t, std::string_view args) {
    std::size_t space = args.find(' ');
    if (space == std::string_view::npos) return Error("expected KEY VALUE");
    if (!t.state.settings.Set(args.substr(0, space), std::string(Trim(args.substr(space + 1)))))
        return Error("unknown key");
    return kOk;
}

std::string Get(Target& t, std::string_view args) {
    auto value = t.state.settings.Get(args);
    if (!value) return Error("unknown key");
    return std::string(args) + "=" + *value;
}

struct Command {
    std::string_view name;
    std::string_view syntax;       // as in the one-line summary
    std::string_view help_syntax;  // as in --help, when it differs
    std::string_view help;         // lines after the first are indented under it
    Handler handler;
};

// The one list of the control commands: dispatch, "help" and --help all come from it.
constexpr std::array<Command, 24> kCommands = {{
    {"weight", "N", "", "net weight in grams (may be negative)",
     [](Target& t, std::string_view a) { return Grams(a, t.state.weight); }},
    {"tare", "N", "", "tare in grams", [](Target& t, std::string_view a) { return Grams(a, t.state.tare); }},
    {"stable", "0|1", "", "stable mark", Stable},
    {"settle", "N", "", "unstable now, stable again once N more requests are answered (ENQ included)", Settle},
    {"mute", "[KEY]", "", "leave service requests for KEY unanswered (no KEY: answer all again)",
     [](Target& t, std::string_view a) {
         t.state.muted_key = std::string(a);
         return kOk;
     }},
    {"zero", "auto|0|1", "", "zero mark: auto follows the weight (default), or forced", Zero},
    {"overload", "0|1", "", "overload", [](Target& t, std::string_view a) { return OnOff(a, t.state.overload); }},
    {"unit", "kg|g|lb", "", "unit of the CAS frame", UnitOf},
    {"silent", "0|1", "", "answer nothing at all (stays until \"silent 0\")",
     [](Target& t, std::string_view a) { return OnOff(a, t.faults.silent); }},
    {"corrupt-checksum", "", "", "invert the checksum of the next reply that has one (POS, CAS)",
     [](Target& t, std::string_view) {
         t.faults.corrupt_checksum = true;
         return kOk;
     }},
    {"nak", "[N]", "", "answer the next N enquiries (ENQ) with NAK (default 1)",
     [](Target& t, std::string_view a) { return Count(a, 1, t.faults.nak_count); }},
    {"stray", "[N]", "", "put N stray bytes (A5) before the next reply (default 3)",
     [](Target& t, std::string_view a) { return Stray(t, a, false); }},
    {"stray-digits", "[N]", "", "the same with ASCII digits 1, 2, 3, ... as the stray bytes",
     [](Target& t, std::string_view a) { return Stray(t, a, true); }},
    {"split", "[MS]", "", "send the next reply in two halves MS ms apart (default 50)",
     [](Target& t, std::string_view a) { return Milliseconds(CountOr(a, 50, kMaxMs), t.faults.split_pause_ms); }},
    {"delay", "MS", "", "hold the next reply back MS ms",
     [](Target& t, std::string_view a) { return Milliseconds(Number(a, 0, kMaxMs), t.faults.delay_ms); }},
    {"drop", "", "",
     "send half of the next reply, then cut the line: TCP closes the host's socket;\n"
     "the pty closes its master and starts over on a new pty (the new path goes to\n"
     "standard error and \"status\", and --link follows it)",
     [](Target& t, std::string_view) {
         t.faults.drop = true;
         return kOk;
     }},
    {"set", "KEY VALUE", "", "write a service setting without checks (the table only)", Set},
    {"get", "KEY", "", "prints KEY=VALUE", Get},
    {"protocol", "pos|cas|cas-active|oka", "P", "switch the retail protocol (pos and cas also set prov 1 and 0)",
     Protocol},
    {"pro", "0|1", "", "answer the service protocol or not",
     [](Target& t, std::string_view a) { return OnOff(a, t.state.pro); }},
    {"interval", "MS", "", "cas-active frame interval",
     [](Target& t, std::string_view a) { return Milliseconds(Number(a, 1, kMaxMs), t.state.stream_interval_ms); }},
    {"status", "", "", "one line: state, armed faults, endpoint and whether a host is connected",
     [](Target& t, std::string_view) {
         return t.state.StatusLine() + " " + t.faults.Describe() + " " + t.link_status();
     }},
    {"help", "", "", "one line listing the commands", [](Target&, std::string_view) { return Control::Summary(); }},
    {"quit", "", "", "exit",
     [](Target& t, std::string_view) {
         t.quit = true;
         return kOk;
     }},
}};

std::string Usage(const Command& c, std::string_view syntax) {
    std::string text(c.name);
    if (!syntax.empty()) text += " " + std::string(syntax);
    return text;
}

}  // namespace

std::string Control::Summary() {
    std::string text = "commands:";
    for (const Command& c : kCommands) text += (&c == kCommands.data() ? " " : " | ") + Usage(c, c.syntax);
    return text;
}

std::string Control::HelpLines() {
    constexpr std::size_t kColumn = 16;
    std::string text;
    for (const Command& c : kCommands) {
        std::string usage = Usage(c, c.help_syntax.empty() ? c.syntax : c.help_syntax);
        usage.resize(std::max(kColumn, usage.size()), ' ');
        text += "  " + usage + "  ";
        for (char ch : c.help) text += ch == '\n' ? "\n" + std::string(kColumn + 4, ' ') : std::string(1, ch);
        text += "\n";
    }
    return text;
}

ControlResult Control::Execute(std::string_view line) {
    line = Trim(line);
    if (line.empty()) return {};
    std::size_t space = line.find(' ');
    std::string_view command = line.substr(0, space);
    std::string_view args = space == std::string_view::npos ? std::string_view() : Trim(line.substr(space + 1));
    ControlResult result;
    result.reply = Run(command, args, result.quit);
    return result;
}

std::string Control::Run(std::string_view command, std::string_view args, bool& quit) {
    auto found = std::find_if(kCommands.begin(), kCommands.end(), [&](const Command& c) { return c.name == command; });
    if (found == kCommands.end()) return Error("unknown command " + std::string(command));
    Target target{state_, faults_, link_status_, quit};
    return found->handler(target, args);
}

}  // namespace scale_sim
