#pragma once

// What the main page shows of a reading: the weight label's rich text, the marks and the tare line.
#include <QString>

#include "weight-channel-data.h"

namespace weighdesk {

// The driver's number text: "0" for 0.0, grams with up to 6 significant digits, other units with 3
// decimals, never an exponent.
QString numberText(double value, int unit);

// "кг", "г" or "фунт"; an unknown unit reads as kilograms.
QString unitWord(int unit);

// The text of lbl_net_weight; the unit word is larger on the portrait screen (window mode 1).
QString netWeightRichText(const WeightChannelData& data, bool portraitScreen);

// The text of lbl_tare_weight, in the unit of the last reading.
QString tareLineText(double tare, int unit);

// When the scale gives no current reading: the weight label and the tare line show no number at all.
QString noReadingRichText(bool portraitScreen);
QString noReadingTareLineText();

// Which of the four marks show: exactly one of zero/nonZero and one of stable/unstable.
struct WeightMarks {
    bool zero = true;
    bool nonZero = false;
    bool stable = true;
    bool unstable = false;

    bool operator==(const WeightMarks&) const = default;
};
WeightMarks marksOf(const WeightChannelData& data);

}  // namespace weighdesk
