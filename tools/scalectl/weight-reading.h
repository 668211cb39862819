#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace scalectl {

// The retail protocols report the weight channel in different ways; each family is decoded by its own rule.
enum class ProtocolFamily { Pos, Cas, Oka, Other };

ProtocolFamily FamilyOf(std::string_view protocol);

enum class WeightUnit { Kilogram = 0, Gram = 1, Pound = 2 };

// The texts the driver leaves in WeightState, Weight, Tare and UnitOfMeasure after a status command.
struct RawWeight {
    std::string state;
    std::string weight;
    std::string tare;
    std::string unit;
};

// One decoded reading. The tare is empty for protocols that do not report it.
struct WeightReading {
    WeightUnit unit = WeightUnit::Kilogram;
    double weight = 0.0;
    std::optional<double> tare;
    bool stable = false;
    bool zero = false;
    bool overload = false;
};

// Decodes raw texts into the current reading. Like a display that keeps what it showed, texts that carry
// no value leave the earlier fields in place. maxWeightKg switches overload detection on for the POS family.
void Decode(ProtocolFamily family, const RawWeight& raw, std::optional<double> maxWeightKg, WeightReading& reading);

// "0" for zero; grams with up to 6 significant digits; other units with 3 decimals.
std::string NumberText(double value, WeightUnit unit);

std::string_view UnitWord(WeightUnit unit);

}  // namespace scalectl
