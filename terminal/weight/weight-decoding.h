#pragma once

// How the texts that a status command leaves become a WeightChannelData. A state text too short
// for the positions a decoding reads leaves the marks as they were.
#include <optional>
#include <string>

#include "weight-channel-data.h"

namespace weighdesk {

// CAS family: weight text, ten-character state text, unit text "kg", "g" or "lb".
void decodeCasReading(const std::string& weight, const std::string& state, const std::string& unit,
                      WeightChannelData& data);

// POS family: weight and tare texts in grams. maxWeightKg is set when overload detection is on.
void decodePosReading(const std::string& weight, const std::string& state, const std::string& tare,
                      std::optional<double> maxWeightKg, WeightChannelData& data);

}  // namespace weighdesk
