#include "protocols/pos/pos-status.h"

namespace driver {

namespace {

// Where the named marks stand among the ten state bits.
constexpr int kStable = 0;
constexpr int kZero = 1;
constexpr int kOverload = 7;
constexpr int kTareInUse = 9;
constexpr int kStateBits = 10;
constexpr std::uint16_t kNamedBits = (1u << kStable) | (1u << kZero) | (1u << kOverload) | (1u << kTareInUse);

unsigned Bit(bool set, int position) {
    return set ? 1u << position : 0u;
}

bool Has(unsigned bits, int position) {
    return (bits >> position & 1u) != 0;
}

}  // namespace

ScaleStatus PosStatus(std::uint16_t stateBits) {
    ScaleStatus status;
    status.stable = Has(stateBits, kStable);
    status.zero = Has(stateBits, kZero);
    status.overload = Has(stateBits, kOverload);
    status.tareInUse = Has(stateBits, kTareInUse);
    status.unnamedBits = stateBits & ((1u << kStateBits) - 1) & ~kNamedBits;
    return status;
}

std::string PosStateText(const ScaleStatus& status) {
    const unsigned bits = status.unnamedBits | Bit(status.stable, kStable) | Bit(status.zero, kZero) |
                          Bit(status.overload, kOverload) | Bit(status.tareInUse, kTareInUse);
    std::string text(kStateBits, '0');
    for (int position = 0; position < kStateBits; ++position)
        if (bits & (1u << position)) text[static_cast<std::size_t>(position)] = '1';
    return text;
}

ResultMap PosTexts(const ScaleReading& reading) {
    ResultMap texts;
    if (reading.status) texts[ParamType::WeightState] = PosStateText(*reading.status);
    if (reading.weight) texts[ParamType::Weight] = GramsText(reading.weight);
    if (reading.tare) texts[ParamType::Tare] = GramsText(reading.tare);
    if (!texts.empty()) texts[ParamType::UnitOfMeasure] = "gr";
    return texts;
}

}  // namespace driver
