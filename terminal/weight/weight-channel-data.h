#pragma once

// One reading of the weight channel as the terminal shows it; copied by value through queued signals.
#include <QMetaType>
#include <chrono>

#include "cpp-wrapper-defines.h"

namespace weighdesk {

struct WeightChannelData {
    int unit = 0;         // 0 kilogram, 1 gram, 2 pound
    double weight = 0.0;  // net weight in the unit
    double tare = 0.0;    // in the unit; the POS family only, 0 otherwise
    bool zero = false;
    bool unstable = false;
    bool overload = false;
    // When the scale answered with this reading; never (the epoch) for data that is not a reading.
    std::chrono::steady_clock::time_point takenAt{};

    bool operator==(const WeightChannelData&) const = default;
};

}  // namespace weighdesk

Q_DECLARE_METATYPE(weighdesk::WeightChannelData)
// Declared once here for every queued signal of the terminal that carries an error case.
Q_DECLARE_METATYPE(Norvell::Balvex::CppWrapper::ErrorCase)
