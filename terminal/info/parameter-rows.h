#pragma once
// The scale information table: what the ten read commands returned, turned into named rows.
#include <QList>
#include <QString>
#include <optional>

namespace weighdesk {

// One text per read command; none when the command failed.
struct ScaleReadings {
    std::optional<QString> model;
    std::optional<QString> serialNumber;
    std::optional<QString> maxWeight;
    std::optional<QString> divisionCode;
    std::optional<QString> tareRangeCode;
    std::optional<QString> firmwareName;
    std::optional<QString> firmwareVersion;
    std::optional<QString> calibrationCount;
};

struct ParameterRow {
    QString name;
    QString value;
    bool operator==(const ParameterRow&) const = default;
};

// The firmware version as shown, and as the connection stores it: trimmed, the first letter raised
// when the text has four or more characters.
QString firmwareVersionText(const QString& version);

// The ten rows in their order; a row whose source failed has an empty value.
QList<ParameterRow> parameterRows(const ScaleReadings& readings);

}  // namespace weighdesk
