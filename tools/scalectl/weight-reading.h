#pragma once

// The driver's reading, as scalectl names its unit.
#include <string_view>

#include "driver/reading.h"

namespace scalectl {

inline std::string_view UnitWord(driver::WeightUnit unit) {
    switch (unit) {
        case driver::WeightUnit::Gram:
            return "g";
        case driver::WeightUnit::Pound:
            return "lb";
        case driver::WeightUnit::Kilogram:
            break;
    }
    return "kg";
}

}  // namespace scalectl
