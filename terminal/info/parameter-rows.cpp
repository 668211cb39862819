#include "parameter-rows.h"

#include "scale-text.h"

namespace weighdesk {
namespace {

constexpr int kMinimumLoadDivisions = 20;

QString modelWithoutClass(const QString& model) {
    const qsizetype space = model.lastIndexOf(QLatin1Char(' '));
    return space < 0 ? QString() : model.left(space);
}

QString accuracyClass(const QString& model) {
    return model.mid(model.lastIndexOf(QLatin1Char(' ')) + 1);
}

QString maxLoadText(const QString& maxWeight) {
    bool isNumber = false;
    const int kilograms = maxWeight.trimmed().toInt(&isNumber);
    return isNumber ? QString::number(kilograms) + " кг" : QString();
}

QString minimumLoadText(const QString& interval) {
    if (interval.isEmpty()) return {};
    return QString::number(kMinimumLoadDivisions * interval.toDouble(), 'g', 6) + " г";
}

double tareRangeFactor(const QString& code) {
    if (code == QLatin1String("0")) return 0.5;
    if (code == QLatin1String("1")) return 1.0;
    if (code == QLatin1String("2")) return 1.25;
    return 0.0;
}

QString tareRangeText(const std::optional<QString>& code, const std::optional<QString>& maxWeight) {
    bool isNumber = false;
    const double kilograms = maxWeight ? maxWeight->trimmed().toDouble(&isNumber) : 0.0;
    if (!code || !isNumber) return {};
    return QString::number(tareRangeFactor(*code) * kilograms, 'g', 10) + " кг";
}

template <typename Convert>
QString valueOf(const std::optional<QString>& source, Convert convert) {
    return source ? convert(*source) : QString();
}

QString asReturned(const QString& text) {
    return text;
}

QString firmwareNameText(const QString& name) {
    QString text = name.trimmed();
    if (text.size() >= 4 && text.at(2).isUpper()) text[2] = text.at(2).toLower();
    return text;
}

}  // namespace

QString firmwareVersionText(const QString& version) {
    QString text = version.trimmed();
    if (text.size() >= 4 && text.at(0).isLower()) text[0] = text.at(0).toUpper();
    return text;
}

QList<ParameterRow> parameterRows(const ScaleReadings& readings) {
    const QString interval = valueOf(readings.divisionCode, weighdesk::divisionFromCode);
    return {
        {"Информация о модели", valueOf(readings.model, modelWithoutClass)},
        {"Класс точности", valueOf(readings.model, accuracyClass)},
        {"Серийный номер", valueOf(readings.serialNumber, asReturned)},
        {"Максимальная нагрузка", valueOf(readings.maxWeight, maxLoadText)},
        {"Действительная цена деления", interval.isEmpty() ? QString() : interval + " г"},
        {"Минимальная нагрузка", minimumLoadText(interval)},
        {"Диапазон тарирования", tareRangeText(readings.tareRangeCode, readings.maxWeight)},
        {"Идентификационное наименование внутр. ПО", valueOf(readings.firmwareName, firmwareNameText)},
        {"Версия внутр. ПО", valueOf(readings.firmwareVersion, firmwareVersionText)},
        {"Информация о количестве калибровок", valueOf(readings.calibrationCount, asReturned)},
    };
}

}  // namespace weighdesk
