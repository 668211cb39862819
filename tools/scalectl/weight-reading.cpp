#include "weight-reading.h"

#include <charconv>
#include <cstdio>

namespace scalectl {

namespace {

// A state position beyond the end of a short text reads as neither "0" nor "1".
bool At(const std::string& state, std::size_t position, char expected) {
    return position < state.size() && state[position] == expected;
}

// Texts that are no number count as 0, as the scale's own display treats them.
double ToNumber(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || ptr != text.data() + text.size()) return 0.0;
    return value;
}

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// POS reports grams and two state bytes spread over ten characters.
void DecodePos(const RawWeight& raw, std::optional<double> maxWeightKg, WeightReading& reading) {
    if (raw.weight.empty()) {
        reading.overload = false;
        return;
    }
    const double grams = ToNumber(raw.weight);
    reading.unit = WeightUnit::Kilogram;
    reading.weight = grams / 1000.0;
    reading.tare = ToNumber(raw.tare) / 1000.0;
    reading.zero = At(raw.state, 1, '1');
    if (maxWeightKg) reading.overload = grams / 1000.0 > *maxWeightKg;
    const auto& s = raw.state;
    const bool unstable =
        At(s, 2, '1') ? (At(s, 0, '0') || At(s, 4, '0') || At(s, 7, '1')) : (At(s, 0, '1') || At(s, 4, '1'));
    reading.stable = !unstable;
}

std::optional<WeightUnit> UnitOf(std::string_view text) {
    if (text == "kg") return WeightUnit::Kilogram;
    if (text == "g") return WeightUnit::Gram;
    if (text == "lb") return WeightUnit::Pound;
    return std::nullopt;
}

// CAS reports the weight as text in its own unit and marks overload in the weight or the state.
void DecodeCas(const RawWeight& raw, WeightReading& reading) {
    reading.tare.reset();
    if (Contains(raw.weight, "F")) {
        reading.overload = true;
        return;
    }
    if (raw.weight.empty()) {
        reading.overload = false;
        return;
    }
    if (auto unit = UnitOf(raw.unit)) {
        reading.unit = *unit;
        reading.weight = ToNumber(raw.weight);
    }
    reading.stable = !(At(raw.state, 0, '0') || At(raw.state, 4, '0'));
    reading.overload = At(raw.state, 6, '1');
    reading.zero = reading.weight == 0.0;
}

// OKA reports six digits of grams (kilograms with three decimals) and a flag byte in hex; the driver itself
// counts only a clear flag byte as settled, and it blanks the weight when the overload bit 0x40 is set.
void DecodeOka(const RawWeight& raw, WeightReading& reading) {
    if (raw.weight.empty()) return;
    reading.unit = WeightUnit::Kilogram;
    reading.weight = ToNumber(raw.weight) / 1000.0;
    reading.tare = ToNumber(raw.tare) / 1000.0;
    reading.stable = raw.state == "0x00";
    reading.zero = reading.weight == 0.0;
    unsigned flag = 0;
    const bool hex =
        raw.state.size() > 2 && raw.state.starts_with("0x") &&
        std::from_chars(raw.state.data() + 2, raw.state.data() + raw.state.size(), flag, 16).ec == std::errc{};
    reading.overload = hex && (flag & 0x40) != 0;
    if (reading.overload) reading.zero = false;
}

}  // namespace

ProtocolFamily FamilyOf(std::string_view protocol) {
    if (Contains(protocol, "POS")) return ProtocolFamily::Pos;
    if (Contains(protocol, "CAS")) return ProtocolFamily::Cas;
    if (Contains(protocol, "OKA")) return ProtocolFamily::Oka;
    return ProtocolFamily::Other;
}

void Decode(ProtocolFamily family, const RawWeight& raw, std::optional<double> maxWeightKg, WeightReading& reading) {
    switch (family) {
        case ProtocolFamily::Pos:
            DecodePos(raw, maxWeightKg, reading);
            break;
        case ProtocolFamily::Cas:
            DecodeCas(raw, reading);
            break;
        case ProtocolFamily::Oka:
            DecodeOka(raw, reading);
            break;
        case ProtocolFamily::Other:
            break;
    }
}

std::string NumberText(double value, WeightUnit unit) {
    if (value == 0.0) return "0";
    char buffer[64];
    if (unit == WeightUnit::Gram) {
        std::snprintf(buffer, sizeof buffer, "%.6g", value);
    } else {
        std::snprintf(buffer, sizeof buffer, "%.3f", value);
    }
    return buffer;
}

std::string_view UnitWord(WeightUnit unit) {
    switch (unit) {
        case WeightUnit::Gram:
            return "g";
        case WeightUnit::Pound:
            return "lb";
        case WeightUnit::Kilogram:
            break;
    }
    return "kg";
}

}  // namespace scalectl
