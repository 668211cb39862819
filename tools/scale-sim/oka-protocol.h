#pragma once

#include <cstdint>
#include <span>

#include "scale-state.h"
#include "wire.h"

namespace scale_sim {

// Flag byte of the weight answer: 0x00 stable and in range; otherwise the sum of
// 0x01 unstable, 0x40 overload (the weight digits are not valid), 0x80 negative weight
// (the digits carry the magnitude).
inline constexpr std::uint8_t kOkaUnstable = 0x01;
inline constexpr std::uint8_t kOkaOverload = 0x40;
inline constexpr std::uint8_t kOkaNegative = 0x80;

std::uint8_t OkaFlag(const ScaleState& state);

// Answer to command 02: 24 bytes, the six weight digits least significant first (one digit,
// 0 to 9, per byte), five 00 bytes, the flag, zeros.
Reply OkaWeightAnswer(const ScaleState& state);

// Answer to command 06: 18 bytes, seven digits of weight plus tare with one decimal more,
// least significant first, then zeros.
Reply OkaSumAnswer(const ScaleState& state);

// Takes one request from the head of `input`: 02 with six digits (weight), 06 (sum),
// 07 with six tare digits (specify tare, no answer), fifteen 00 and 01 (zero, no answer).
ParseStep OkaConsume(std::span<const std::uint8_t> input, ScaleState& state);

}  // namespace scale_sim
