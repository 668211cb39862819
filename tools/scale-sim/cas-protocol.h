#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "scale-state.h"
#include "wire.h"

namespace scale_sim {

// The six weight characters of a CAS frame: the magnitude of `grams` in the scale's unit,
// right-aligned with blanks, with as many decimals as fit (kg 3, lb 2, g none).
std::string CasWeightField(std::int32_t grams, Unit unit);

// SOH, STX, state ("S" stable, "U" unstable, "F" overload), sign (" " or "-"), six weight
// characters, unit ("kg", "lb", " g"), BCC (XOR of offsets 2 to 11), ETX, EOT.
Reply CasFrame(const ScaleState& state);

// Takes one request from the head of `input`. Polled: ENQ is acknowledged and DC1 answered
// with a frame. Both kinds take the one-way "<ZK>\t" (zero) and "<TK>\t" (tare).
ParseStep CasConsume(std::span<const std::uint8_t> input, ScaleState& state, bool active);

}  // namespace scale_sim
