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

// The ten rows in their order; a row whose source failed has an empty value.
QList<ParameterRow> parameterRows(const ScaleReadings& readings);

// Trimmed; a lower-case first letter is raised when the text has at least four characters.
// The connection stores the scale's firmware version by the same rule.
QString firmwareVersionText(const QString& version);

// Trimmed; an upper-case third letter is lowered when the text has at least four characters.
QString firmwareNameText(const QString& name);

}  // namespace weighdesk
