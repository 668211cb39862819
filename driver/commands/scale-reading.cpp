#include "commands/scale-reading.h"

#include <string_view>

namespace driver {

namespace {

// Where the named POS marks stand among its ten state bits.
constexpr int kPosStable = 0;
constexpr int kPosZero = 1;
constexpr int kPosOverload = 7;
constexpr int kPosTareInUse = 9;
constexpr int kPosStateBits = 10;
constexpr std::uint16_t kPosNamedBits =
    (1u << kPosStable) | (1u << kPosZero) | (1u << kPosOverload) | (1u << kPosTareInUse);

// The OKA flag byte: a weight not yet settled, over the range, below zero.
constexpr std::uint8_t kOkaUnstable = 0x01;
constexpr std::uint8_t kOkaOverload = 0x40;
constexpr std::uint8_t kOkaNegative = 0x80;
constexpr std::uint8_t kOkaNamedBits = kOkaUnstable | kOkaOverload | kOkaNegative;

unsigned Bit(bool set, int position) {
    return set ? 1u << position : 0u;
}

bool Has(unsigned bits, int position) {
    return (bits >> position & 1u) != 0;
}

std::string NumberText(const std::optional<std::int64_t>& number) {
    return number ? std::to_string(*number) : std::string();
}

std::string_view CasUnitText(WeightUnit unit) {
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

// Ten characters as the POS state text has them: characters 1 and 5 carry the stable mark, 7 the
// overload, the rest are "*".
std::string CasStateText(const ScaleStatus& status) {
    std::string text(kPosStateBits, '*');
    text[0] = text[4] = status.stable ? '1' : '0';
    text[6] = status.overload ? '1' : '0';
    return text;
}

// "0x" and the flag byte in two lowercase hexadecimal digits.
std::string OkaFlagText(const ScaleStatus& status) {
    static constexpr char kHex[] = "0123456789abcdef";
    const auto flag =
        static_cast<std::uint8_t>(status.unnamedBits | (status.stable ? 0 : kOkaUnstable) |
                                  (status.overload ? kOkaOverload : 0) | (status.negative ? kOkaNegative : 0));
    return {'0', 'x', kHex[flag >> 4], kHex[flag & 0x0F]};
}

ResultMap PosTexts(const ScaleReading& reading) {
    ResultMap texts;
    if (reading.status) texts[ParamType::WeightState] = PosStateText(*reading.status);
    if (reading.weight) texts[ParamType::Weight] = NumberText(reading.weight);
    if (reading.tare) texts[ParamType::Tare] = NumberText(reading.tare);
    if (!texts.empty()) texts[ParamType::UnitOfMeasure] = "gr";
    return texts;
}

ResultMap CasTexts(const ScaleReading& reading) {
    return {{ParamType::UnitOfMeasure, std::string(CasUnitText(reading.unit))},
            {ParamType::Weight, reading.displayedWeight},
            {ParamType::WeightState, reading.status ? CasStateText(*reading.status) : std::string()}};
}

// OKA reports kilograms as its unit beside the gram counts.
ResultMap OkaTexts(const ScaleReading& reading) {
    return {{ParamType::UnitOfMeasure, "kg"},
            {ParamType::Weight, NumberText(reading.weight)},
            {ParamType::WeightState, reading.status ? OkaFlagText(*reading.status) : std::string()},
            {ParamType::Tare, NumberText(reading.tare)}};
}

}  // namespace

ScaleStatus PosStatus(std::uint16_t stateBits) {
    ScaleStatus status;
    status.stable = Has(stateBits, kPosStable);
    status.zero = Has(stateBits, kPosZero);
    status.overload = Has(stateBits, kPosOverload);
    status.tareInUse = Has(stateBits, kPosTareInUse);
    status.unnamedBits = stateBits & ((1u << kPosStateBits) - 1) & ~kPosNamedBits;
    return status;
}

std::string PosStateText(const ScaleStatus& status) {
    const unsigned bits = status.unnamedBits | Bit(status.stable, kPosStable) | Bit(status.zero, kPosZero) |
                          Bit(status.overload, kPosOverload) | Bit(status.tareInUse, kPosTareInUse);
    std::string text(kPosStateBits, '0');
    for (int position = 0; position < kPosStateBits; ++position)
        if (bits & (1u << position)) text[static_cast<std::size_t>(position)] = '1';
    return text;
}

ScaleStatus OkaStatus(std::uint8_t flag) {
    ScaleStatus status;
    status.stable = (flag & kOkaUnstable) == 0;
    status.overload = (flag & kOkaOverload) != 0;
    status.negative = (flag & kOkaNegative) != 0;
    status.unnamedBits = flag & ~kOkaNamedBits & 0xFF;
    return status;
}

ResultMap ParamTexts(const ScaleReading& reading) {
    switch (reading.family) {
        case ProtocolFamily::Pos:
            return PosTexts(reading);
        case ProtocolFamily::Cas:
            return CasTexts(reading);
        case ProtocolFamily::Oka:
            return OkaTexts(reading);
        case ProtocolFamily::None:
            break;
    }
    return {};
}

}  // namespace driver
