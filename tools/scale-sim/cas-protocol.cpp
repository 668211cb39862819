#include "cas-protocol.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace scale_sim {
namespace {

constexpr std::size_t kFieldWidth = 6;
constexpr double kGramsPerPound = 453.59237;
constexpr std::string_view kZeroRequest = "<ZK>\t";
constexpr std::string_view kTareRequest = "<TK>\t";

std::string Fit(double value, int decimals) {
    char text[32];
    for (; decimals >= 0; --decimals) {
        std::snprintf(text, sizeof text, "%*.*f", static_cast<int>(kFieldWidth), decimals, value);
        if (std::string_view(text).size() <= kFieldWidth) return text;
    }
    return "999999";  // more than the display holds
}

std::string_view UnitBytes(Unit unit) {
    switch (unit) {
        case Unit::Kg:
            return "kg";
        case Unit::Lb:
            return "lb";
        case Unit::G:
            return " g";
    }
    return "kg";
}

// 1 when `input` is the whole request, 0 when it may still become it, -1 when it cannot.
int MatchText(std::span<const std::uint8_t> input, std::string_view request) {
    std::size_t n = std::min(input.size(), request.size());
    for (std::size_t i = 0; i < n; ++i)
        if (input[i] != static_cast<std::uint8_t>(request[i])) return -1;
    return input.size() >= request.size() ? 1 : 0;
}

}  // namespace

std::string CasWeightField(std::int32_t grams, Unit unit) {
    double magnitude = std::abs(static_cast<double>(grams));
    switch (unit) {
        case Unit::Kg:
            return Fit(magnitude / 1000.0, 3);
        case Unit::Lb:
            return Fit(magnitude / kGramsPerPound, 2);
        case Unit::G:
            return Fit(magnitude, 0);
    }
    return Fit(magnitude, 0);
}

Reply CasFrame(const ScaleState& state) {
    Reply reply;
    Bytes& b = reply.bytes;
    b = {kSoh, kStx};
    b.push_back(state.overload ? 'F' : state.stable ? 'S' : 'U');
    b.push_back(state.weight < 0 ? '-' : ' ');
    for (char c : CasWeightField(state.weight, state.unit)) b.push_back(static_cast<std::uint8_t>(c));
    for (char c : UnitBytes(state.unit)) b.push_back(static_cast<std::uint8_t>(c));
    b.push_back(XorOf(std::span(b).subspan(2, 10)));
    b.push_back(kEtx);
    b.push_back(kEot);
    reply.checksum_at = 12;
    return reply;
}

ParseStep CasConsume(std::span<const std::uint8_t> input, ScaleState& state, bool active) {
    if (input.empty()) return {};
    if (!active && input[0] == kEnq) return {1, Reply{{kAck}, true, std::nullopt}};
    if (!active && input[0] == kDc1) return {1, CasFrame(state)};
    if (input[0] != '<') return {1, std::nullopt};
    int zero = MatchText(input, kZeroRequest);
    int tare = MatchText(input, kTareRequest);
    if (zero == 1) {
        state.SetZero();
        return {kZeroRequest.size(), std::nullopt};
    }
    if (tare == 1) {
        state.SetTare();
        return {kTareRequest.size(), std::nullopt};
    }
    if (zero == 0 || tare == 0) return {};
    return {1, std::nullopt};
}

}  // namespace scale_sim
