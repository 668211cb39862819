#include "close-report.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace weighdesk {

QByteArray closeReport(const std::optional<ConnectionParams>& scale, const QString& noScaleError) {
    QJsonObject report;
    if (scale) {
        report.insert("model", scale->model);
        report.insert("vendor", "NORVELL");
        report.insert("serialNumber", scale->serialNumber);
        report.insert("calCount", scale->calibrationCount);
        report.insert("firmwareVersion", scale->firmwareVersion);
    } else {
        report.insert("error", noScaleError);
    }
    // QJsonObject keeps its keys sorted, and the indented form ends with a line feed.
    return QJsonDocument(report).toJson(QJsonDocument::Indented);
}

void printCloseReport(const std::optional<ConnectionParams>& scale, const QString& noScaleError) {
    const QByteArray text = closeReport(scale, noScaleError);
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
    std::fflush(stdout);
}

}  // namespace weighdesk
