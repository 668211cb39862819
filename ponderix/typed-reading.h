// One reading of the weight channel through the driver's own decoding, as the C interface's struct.
#pragma once

#include "ponderix/ponderix.h"
#include "scale-handles.h"

namespace ponderix {

// Runs the status command of the scale's protocol and decodes it into scale.reading and out.
driver::ErrorCase ReadWeight(Scale& scale, pdx_reading& out);

// The maximum weight in kilograms, where the protocol can tell it (the "Pro" protocols).
std::optional<double> MaxWeightKg(driver::Device& device);

}  // namespace ponderix
