#include "weight-text.h"

#include "driver/reading.h"

namespace weighdesk {

namespace {

// What stands in for a number when the scale gives none: grey dashes, never a figure.
const QString kNoNumber = QStringLiteral("<span style=\"color:rgb(147, 147, 147); \">\u2014 \u2014 \u2014</span>");

QString weightRichText(const QString& number, const QString& unit, bool portraitScreen) {
    const QString fontPx = portraitScreen ? QStringLiteral("90") : QStringLiteral("70");
    return QStringLiteral("<span>%2 </span><span style=\"font-size:%1px; \">%3</span>").arg(fontPx, number, unit);
}

}  // namespace

QString numberText(double value, int unit) {
    return QString::fromStdString(driver::NumberText(value, static_cast<driver::WeightUnit>(unit)));
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
