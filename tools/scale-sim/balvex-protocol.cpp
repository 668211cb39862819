#include "balvex-protocol.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "wire.h"

namespace scale_sim {
namespace {

const std::string kOk = "OK" + std::string(kLineEnd);
const std::string kError = "ERROR" + std::string(kLineEnd);

// Keys that start an action rather than name a setting.
constexpr std::array<std::string_view, 4> kActions = {"zcal", "wcal", "rst", "init"};

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Requests carry no separator between key and value, so the key is the longest known name
// the request starts with.
std::string_view MatchKey(std::string_view request, const Settings& settings) {
    std::string_view best;
    auto consider = [&](std::string_view key) {
        if (request.starts_with(key) && key.size() > best.size()) best = key;
    };
    for (std::string_view action : kActions) consider(action);
    std::vector<std::string> keys = settings.Keys();
    for (const std::string& key : keys) consider(key);
    // `best` may point into `keys`, which dies here: hand back the view into the request.
    return request.substr(0, best.size());
}

std::string IncrementCount(Settings& settings) {
    int count = 0;
    std::string text = settings.Get("cnt").value_or("0");
    std::from_chars(text.data(), text.data() + text.size(), count);
    settings.Set("cnt", std::to_string(count + 1));
    return kOk;
}

std::string WeightCalibration(std::string_view value, ScaleState& state) {
    // Calibration needs a settled platform, the host waits for it before sending.
    if (!state.stable) return kError;
    if (value.empty()) return kOk;
    if (!AllDigits(value)) return kError;
    int kilograms = 0;
    std::from_chars(value.data(), value.data() + value.size(), kilograms);
    state.settings.Set("cal", std::string(value));
    state.tare = 0;
    state.weight = kilograms * 1000;
    return IncrementCount(state.settings);
}

std::string Action(std::string_view key, std::string_view value, ScaleState& state) {
    if (key == "wcal") return WeightCalibration(value, state);
    if (!value.empty()) return kError;
    if (key == "zcal") {
        if (!state.stable) return kError;
        state.SetZero();
        return kOk;
    }
    if (key == "cnt") return IncrementCount(state.settings);
    if (key == "rst") {
        state.tare = 0;
        return kOk;
    }
    if (key == "init") {
        state.SetZero();
        return kOk;
    }
    return kError;
}

std::string Write(std::string_view request, ScaleState& state) {
    std::string_view key = MatchKey(request, state.settings);
    std::string_view value = request.substr(key.size());
    if (key.empty()) return kError;
    if (key == "cnt" || std::find(kActions.begin(), kActions.end(), key) != kActions.end())
        return Action(key, value, state);
    if (!state.settings.WritableByHost(key) || value.empty()) return kError;
    if (key == "prov") {
        if (value == "0")
            state.SwitchProtocol(RetailProtocol::Cas);
        else if (value == "1")
            state.SwitchProtocol(RetailProtocol::Pos);
        else
            return kError;
        return kOk;
    }
    if (key == "div" && !(value.size() == 1 && value[0] >= '0' && value[0] <= '5')) return kError;
    state.settings.Set(key, std::string(value));
    return kOk;
}

}  // namespace

std::string BalvexAnswer(std::string_view line, ScaleState& state) {
    if (line.empty()) return kError;
    std::string_view rest = line.substr(1);
    if (line[0] == 'G') {
        std::optional<std::string> value = state.settings.Get(rest);
        return value ? std::string(rest) + "=" + *value + std::string(kLineEnd) : kError;
    }
    if (line[0] == 'S') return Write(rest, state);
    return kError;
}

}  // namespace scale_sim
