#pragma once
// The JSON object that whoever started the terminal reads from standard output at close.
#include <QByteArray>
#include <QString>
#include <optional>

#include "connection-params.h"

namespace weighdesk {

// Why no scale is reported, unless a search found a better reason.
inline const QString kNoScaleFound = QStringLiteral("Весы не обнаружены");

// Indented, keys in alphabetical order; {"error": noScaleError} without a scale.
QByteArray closeReport(const std::optional<ConnectionParams>& scale, const QString& noScaleError = kNoScaleFound);

// Writes the report to standard output and flushes it.
void printCloseReport(const std::optional<ConnectionParams>& scale, const QString& noScaleError = kNoScaleFound);

}  // namespace weighdesk
