#include "weight-decoding.h"

#include <QString>

namespace weighdesk {
namespace {

constexpr std::size_t kCasStateLength = 7;  // reads positions 0, 4 and 6
constexpr std::size_t kPosStateLength = 8;  // reads positions 0, 1, 2, 4 and 7

std::optional<double> parseNumber(const std::string& text) {
    bool ok = false;
    const double value = QString::fromStdString(text).trimmed().toDouble(&ok);
    if (!ok) return std::nullopt;
    return value;
}

std::optional<int> casUnit(const std::string& unit) {
    if (unit == "kg") return 0;
    if (unit == "g") return 1;
    if (unit == "lb") return 2;
    return std::nullopt;
}

bool posUnstable(const std::string& s) {
    if (s[2] != '1') return s[0] == '1' || s[4] == '1';
    return s[0] == '0' || s[4] == '0' || s[7] == '1';
}

}  // namespace

void decodeCasReading(const std::string& weight, const std::string& state, const std::string& unit,
                      WeightChannelData& data) {
    if (weight.find('F') != std::string::npos) {
        data.overload = true;
        return;
    }
    if (weight.empty()) {
        data.overload = false;
        return;
    }
    const std::optional<int> unitCode = casUnit(unit);
    const std::optional<double> value = parseNumber(weight);
    if (unitCode && value) {
        data.unit = *unitCode;
        data.weight = *value;
    }
    if (state.size() < kCasStateLength) return;
    data.unstable = state[0] == '0' || state[4] == '0';
    data.overload = state[6] == '1';
    data.zero = data.weight == 0.0;
}

void decodePosReading(const std::string& weight, const std::string& state, const std::string& tare,
                      std::optional<double> maxWeightKg, WeightChannelData& data) {
    if (weight.empty()) {
        data.overload = false;
        return;
    }
    const std::optional<double> grams = parseNumber(weight);
    if (!grams) return;
    data.unit = 0;
    data.weight = *grams / 1000.0;
    if (const std::optional<double> tareGrams = parseNumber(tare)) data.tare = *tareGrams / 1000.0;
    if (maxWeightKg) data.overload = data.weight > *maxWeightKg;
    if (state.size() < kPosStateLength) return;
    data.zero = state[1] == '1';
    data.unstable = posUnstable(state);
}

}  // namespace weighdesk
