#include "protocols/cas/cas-status.h"

#include <string_view>

namespace driver {

namespace {

std::string_view UnitText(WeightUnit unit) {
    switch (unit) {
        case WeightUnit::Kilogram:
            return "kg";
        case WeightUnit::Pound:
            return "lb";
        case WeightUnit::Gram:
            break;
    }
    return "g";
}

std::string StateText(const ScaleStatus& status) {
    std::string text(10, '*');
    text[0] = text[4] = status.stable ? '1' : '0';
    text[6] = status.overload ? '1' : '0';
    return text;
}

}  // namespace

ResultMap CasTexts(const ScaleReading& reading) {
    return {{ParamType::UnitOfMeasure, std::string(UnitText(reading.unit))},
            {ParamType::Weight, reading.displayedWeight},
            {ParamType::WeightState, reading.status ? StateText(*reading.status) : std::string()}};
}

}  // namespace driver
