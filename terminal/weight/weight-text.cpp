#include "weight-text.h"

namespace weightdesk {

QString numberText(double value, int unit) {
    if (value == 0.0) return QStringLiteral("0");
    if (unit == 1) return QString::number(value, 'g', 6);
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
    const QString fontPx = portraitScreen ? QStringLiteral("90") : QStringLiteral("70");
    return QStringLiteral("<span>%2 </span><span style=\"font-size:%1px; \">%3</span>")
        .arg(fontPx, numberText(data.weight, data.unit), unitWord(data.unit));
}

QString tareLineText(double tare, int unit) {
    return QStringLiteral("Tare: %1 %2").arg(numberText(tare, unit), unitWord(unit));
}

WeightMarks marksOf(const WeightChannelData& data) {
    return {.zero = data.zero, .nonZero = !data.zero, .stable = !data.unstable, .unstable = data.unstable};
}

}  // namespace weightdesk
