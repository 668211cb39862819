#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "commands/byte-vector.h"

namespace driver {

// OKA numbers travel as one decimal digit (0 to 9) per byte.

// The number of digit bytes written most significant first; nothing when a byte is no digit,
// the list is empty or longer than 18 digits.
std::optional<std::uint64_t> DigitsToNumber(const ByteVector& digits);

// The same number in decimal without leading zeros; empty when the bytes form no number.
std::string DigitsToNumberText(const ByteVector& digits);

// Tare digits (six, most significant first) from the six weight digits and the seven digits of
// weight plus tare, which carry one decimal place more. A negative difference is a zero tare;
// digits that form no number or a tare of more than six digits give DeviceResponseIncorrectFormat.
ByteVector WeightPlusTare(const ByteVector& weight, const ByteVector& sum, ErrorCase& err);

}  // namespace driver
