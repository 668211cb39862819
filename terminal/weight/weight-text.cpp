#include "weight-text.h"

#include <algorithm>
#include <cmath>

namespace weighdesk {

namespace {

// Grams: up to 6 significant digits, but always in plain digits, so 1234567 g stays "1234567".
QString gramsText(double value) {
    const double magnitude = std::fabs(value);
    const int integerDigits = magnitude < 1.0 ? 1 : static_cast<int>(std::floor(std::log10(magnitude))) + 1;
    QString text = QString::number(value, 'f', std::clamp(6 - integerDigits, 0, 6));
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0'))) text.chop(1);
        if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

// What stands in for a number when the scale gives none: grey dashes, never a figure.
const QString kNoNumber = QStringLiteral("<span style=\"color:rgb(147, 147, 147); \">\u2014 \u2014 \u2014</span>");

QString weightRichText(const QString& number, const QString& unit, bool portraitScreen) {
    const QString fontPx = portraitScreen ? QStringLiteral("90") : QStringLiteral("70");
    return QStringLiteral("<span>%2 </span><span style=\"font-size:%1px; \">%3</span>").arg(fontPx, number, unit);
}

}  // namespace

QString numberText(double value, int unit) {
    if (value == 0.0) return QStringLiteral("0");
    if (unit == 1) return gramsText(value);
    return QString::number(value, 'f', 3);
}

QString unitWord(int unit) {
    switch (unit) {
        case 1:
            return QStringLiteral("г");
        case 2:
            return QStringLiteral("фунт");
        default:
            return QStringLiteral("кг");
    }
}

QString netWeightRichText(const WeightChannelData& data, bool portraitScreen) {
    return weightRichText(numberText(data.weight, data.unit), unitWord(data.unit), portraitScreen);
}

// No unit either; blank space in its place keeps the dashes where the digits stand.
QString noReadingRichText(bool portraitScreen) {
    return weightRichText(kNoNumber, QString(3, QChar(0x00A0)), portraitScreen);
}

QString noReadingTareLineText() {
    return QStringLiteral("Tare: \u2014");
}

QString tareLineText(double tare, int unit) {
    return QStringLiteral("Tare: %1 %2").arg(numberText(tare, unit), unitWord(unit));
}

WeightMarks marksOf(const WeightChannelData& data) {
    return {.zero = data.zero, .nonZero = !data.zero, .stable = !data.unstable, .unstable = data.unstable};
}

}  // namespace weighdesk
