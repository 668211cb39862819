#pragma once

#include <cstdint>
#include <string>

#include "protocols/scale-reading.h"

namespace driver {

// The POS state bits in the order of its text (bits 0..7 of the first byte, then bits 7 and 6 of the
// second) and that text of ten "0"/"1" characters.
ScaleStatus PosStatus(std::uint16_t stateBits);
std::string PosStateText(const ScaleStatus& status);

// The values a POS reading gave, in grams ("gr").
ResultMap PosTexts(const ScaleReading& reading);

}  // namespace driver
