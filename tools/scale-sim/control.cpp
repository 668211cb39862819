#include "control.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>

namespace scale_sim {
namespace {

const std::string kOk = "ok";

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
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

}  // namespace

std::string Control::Summary() {
    return "commands: weight N | tare N | stable 0|1 | settle N | mute [KEY] | zero auto|0|1 | overload 0|1 | unit "
           "kg|g|lb | silent 0|1 | corrupt-checksum | nak [N] | stray [N] | stray-digits [N] | split [MS] | "
           "delay MS | drop | set KEY VALUE | get KEY | protocol pos|cas|cas-active|oka | pro 0|1 | interval MS | "
           "status | help | quit";
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
    if (command == "weight" || command == "tare") {
        auto value = Number(args, kMinWeight, kMaxWeight);
        if (!value) return Error("expected grams");
        (command == "weight" ? state_.weight : state_.tare) = static_cast<std::int32_t>(*value);
        return kOk;
    }
    if (command == "stable" || command == "overload" || command == "silent" || command == "pro") {
        auto on = Flag(args);
        if (!on) return Error("expected 0 or 1");
        if (command == "stable") {
            state_.stable = *on;
            state_.requests_until_stable = 0;
        }
        if (command == "overload") state_.overload = *on;
        if (command == "silent") faults_.silent = *on;
        if (command == "pro") state_.pro = *on;
        return kOk;
    }
    if (command == "settle") {
        auto count = Number(args, 1, 1000000);
        if (!count) return Error("expected a count");
        state_.stable = false;
        state_.requests_until_stable = static_cast<int>(*count);
        return kOk;
    }
    if (command == "mute") {
        state_.muted_key = std::string(args);
        return kOk;
    }
    if (command == "zero") {
        if (args == "auto")
            state_.zero_mode = ZeroMode::Auto;
        else if (auto on = Flag(args))
            state_.zero_mode = *on ? ZeroMode::On : ZeroMode::Off;
        else
            return Error("expected auto, 0 or 1");
        return kOk;
    }
    if (command == "unit") {
        auto unit = ParseUnit(args);
        if (!unit) return Error("expected kg, g or lb");
        state_.unit = *unit;
        return kOk;
    }
    if (command == "protocol") {
        auto protocol = ParseProtocol(args);
        if (!protocol) return Error("expected pos, cas, cas-active or oka");
        state_.SwitchProtocol(*protocol);
        return kOk;
    }
    if (command == "corrupt-checksum") {
        faults_.corrupt_checksum = true;
        return kOk;
    }
    if (command == "drop") {
        faults_.drop = true;
        return kOk;
    }
    if (command == "nak" || command == "stray" || command == "stray-digits") {
        auto count = CountOr(args, command == "nak" ? 1 : 3, 1000);
        if (!count) return Error("expected a count");
        (command == "nak" ? faults_.nak_count : faults_.stray_count) = static_cast<int>(*count);
        if (command != "nak") faults_.stray_digits = command == "stray-digits";
        return kOk;
    }
    if (command == "split" || command == "delay" || command == "interval") {
        auto ms = command == "split" ? CountOr(args, 50, kMaxMs) : Number(args, command == "interval" ? 1 : 0, kMaxMs);
        if (!ms) return Error("expected milliseconds");
        if (command == "split") faults_.split_pause_ms = static_cast<int>(*ms);
        if (command == "delay") faults_.delay_ms = static_cast<int>(*ms);
        if (command == "interval") state_.stream_interval_ms = static_cast<int>(*ms);
        return kOk;
    }
    if (command == "set") {
        std::size_t space = args.find(' ');
        if (space == std::string_view::npos) return Error("expected KEY VALUE");
        if (!state_.settings.Set(args.substr(0, space), std::string(Trim(args.substr(space + 1)))))
            return Error("unknown key");
        return kOk;
    }
    if (command == "get") {
        auto value = state_.settings.Get(args);
        if (!value) return Error("unknown key");
        return std::string(args) + "=" + *value;
    }
    if (command == "status") return state_.StatusLine() + " " + faults_.Describe() + " " + link_status_();
    if (command == "help") return Summary();
    if (command == "quit") {
        quit = true;
        return kOk;
    }
    return Error("unknown command " + std::string(command));
}

}  // namespace scale_sim
