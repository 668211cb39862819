#pragma once

#include "protocols/scale-reading.h"

namespace driver {

// A CAS reading as texts: the frame's unit, the displayed weight, and a ten-character state text
// shaped like the POS one (characters 1 and 5 the stable mark, 7 the overload, "*" elsewhere). No tare.
ResultMap CasTexts(const ScaleReading& reading);

}  // namespace driver
