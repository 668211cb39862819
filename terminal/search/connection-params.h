#pragma once

// One scale as the search found it and every page uses it; held by value, copied freely.
#include <QList>
#include <QMetaType>
#include <QString>
#include <optional>

namespace weighdesk {

struct ConnectionParams {
    QString port;           // device path, e.g. /dev/ttyUSB0
    QString model;          // shortened model name, for display and the close report
    QString reportedModel;  // the model text as the driver reported it; the scale is opened with it
    QString protocol;       // "POS2KProV1" or "CAS-K ProV1"
    QString serialNumber;
    QString firmwareVersion;  // first letter raised
    int calibrationCount = 0;
    int maxWeight = 0;  // kilograms
    QString division;   // scale interval in grams

    bool operator==(const ConnectionParams&) const = default;
};

}  // namespace weighdesk

Q_DECLARE_METATYPE(weighdesk::ConnectionParams)
