#pragma once

#include <cstdint>

#include "protocols/scale-reading.h"

namespace driver {

// The OKA flag byte.
ScaleStatus OkaStatus(std::uint8_t flag);

// An OKA reading as texts: always all four, empty where it read none; kilograms as the unit beside
// the gram counts, the flag as "0x" and two lowercase hexadecimal digits.
ResultMap OkaTexts(const ScaleReading& reading);

}  // namespace driver
