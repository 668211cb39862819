#pragma once
// The JSON object that whoever started the terminal reads from standard output at close.
#include <QByteArray>
#include <optional>

#include "connection-params.h"

namespace weighdesk {

// Indented, keys in alphabetical order; {"error": "Весы не обнаружены"} without a scale.
QByteArray closeReport(const std::optional<ConnectionParams>& scale);

// Writes the report to standard output and flushes it.
void printCloseReport(const std::optional<ConnectionParams>& scale);

}  // namespace weighdesk
