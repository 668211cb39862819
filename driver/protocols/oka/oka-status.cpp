#include "protocols/oka/oka-status.h"

namespace driver {

namespace {

// The flag byte: a weight not yet settled, over the range, below zero.
constexpr std::uint8_t kUnstable = 0x01;
constexpr std::uint8_t kOverload = 0x40;
constexpr std::uint8_t kNegative = 0x80;
constexpr std::uint8_t kNamedBits = kUnstable | kOverload | kNegative;

std::string FlagText(const ScaleStatus& status) {
    static constexpr char kHex[] = "0123456789abcdef";
    const auto flag = static_cast<std::uint8_t>(status.unnamedBits | (status.stable ? 0 : kUnstable) |
                                                (status.overload ? kOverload : 0) | (status.negative ? kNegative : 0));
    return {'0', 'x', kHex[flag >> 4], kHex[flag & 0x0F]};
}

}  // namespace

ScaleStatus OkaStatus(std::uint8_t flag) {
    ScaleStatus status;
    status.stable = (flag & kUnstable) == 0;
    status.overload = (flag & kOverload) != 0;
    status.negative = (flag & kNegative) != 0;
    status.unnamedBits = flag & ~kNamedBits & 0xFF;
    return status;
}

ResultMap OkaTexts(const ScaleReading& reading) {
    return {{ParamType::UnitOfMeasure, "kg"},
            {ParamType::Weight, GramsText(reading.weight)},
            {ParamType::WeightState, reading.status ? FlagText(*reading.status) : std::string()},
            {ParamType::Tare, GramsText(reading.tare)}};
}

}  // namespace driver
