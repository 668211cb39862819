#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "commands/byte-vector.h"
#include "driver/reading.h"

namespace driver {

// The marks of a weight-channel answer. Bits without a name here are kept as the family sends them
// (POS: positions of its ten state bits, OKA: bits of its flag byte), so the state text carries them on.
struct ScaleStatus {
    bool stable = false;
    bool zero = false;  // POS
    bool overload = false;
    bool tareInUse = false;  // POS
    bool negative = false;   // OKA
    std::uint16_t unnamedBits = 0;
};

// One weight-channel answer of a retail scale as its parser reads it.
struct ScaleReading {
    ProtocolFamily family = ProtocolFamily::None;
    WeightUnit unit = WeightUnit::Gram;
    std::optional<std::int64_t> weight;  // POS, OKA: whole grams
    std::string displayedWeight;         // CAS: the display's characters, sign first, leading blanks dropped
    std::optional<std::int64_t> tare;    // POS, OKA: whole grams
    std::optional<ScaleStatus> status;
};

// The one place a reading becomes the texts get_param returns (reading.h's Decode reads them back);
// each family's texts are made in its own folder.
ResultMap ParamTexts(const ScaleReading& reading);

// A count of grams in decimal; empty when there is none.
std::string GramsText(const std::optional<std::int64_t>& grams);

}  // namespace driver
