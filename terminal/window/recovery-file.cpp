#include "recovery-file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <QTextStream>
#include <optional>

#include "permanent.h"
#include "platform.h"

namespace weighdesk {

using Norvell::Balvex::CppWrapper::ErrorCase;

namespace {

const QString kFileName = QStringLiteral("protocol_recovery.txt");
const QChar kSeparator = QLatin1Char('\t');

QString lineOf(const QString& serialNumber, const QString& port) {
    return serialNumber + kSeparator + port;
}

// A line names the scale by serial number and port; a legacy line by a serial number alone, which
// an empty serial number never matches.
bool names(const QString& line, const QString& serialNumber, const QString& port) {
    if (!line.contains(kSeparator)) return !serialNumber.isEmpty() && line == serialNumber;
    return line == lineOf(serialNumber, port);
}

// The lines of the file; none when it does not exist yet, nothing when it cannot be read.
std::optional<QStringList> readLines(const QString& path) {
    QFile file(path);
    if (!file.exists()) return QStringList();
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return std::nullopt;
    QStringList lines;
    QTextStream in(&file);
    while (!in.atEnd()) lines << in.readLine();
    return lines;
}

bool writeLines(const QString& path, const QStringList& lines) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
    QTextStream out(&file);
    for (const QString& line : lines) out << line << '\n';
    out.flush();
    return file.commit();
}

// Reads, changes and rewrites the file while holding its lock.
template <typename Change>
ErrorCase rewrite(const QString& path, Change change) {
    QDir().mkpath(QFileInfo(path).path());
    const platform::FileLock lock((path + QStringLiteral(".lock")).toStdString());
    if (!lock.held()) return ErrorCase::UnableToOpenFile;
    std::optional<QStringList> lines = readLines(path);
    if (!lines) return ErrorCase::UnableToOpenFile;
    if (!change(*lines)) return ErrorCase::Correct;
    return writeLines(path, *lines) ? ErrorCase::Correct : ErrorCase::UnableToOpenFile;
}

}  // namespace

RecoveryFile RecoveryFile::besideLogFolder() {
    ErrorCase ecase = ErrorCase::Correct;
    const std::string logFolder = Norvell::Balvex::CppWrapper::Driver::getInstanceLib().loggingPath(ecase);
    if (ecase != ErrorCase::Correct) return RecoveryFile(ecase);
    // The log folder without its last element; cleanPath drops a trailing separator first.
    const QString cleaned = QDir::cleanPath(QString::fromStdString(logFolder));
    return RecoveryFile(QFileInfo(cleaned).path());
}

RecoveryFile::RecoveryFile(const QString& folder) : path_(QDir(folder).filePath(kFileName)) {}

ErrorCase RecoveryFile::append(const QString& serialNumber, const QString& port) const {
    if (failure_ != ErrorCase::Correct) return failure_;
    return rewrite(path_, [&](QStringList& lines) {
        if (lines.contains(lineOf(serialNumber, port))) return false;
        lines << lineOf(serialNumber, port);
        return true;
    });
}

bool RecoveryFile::contains(const QString& serialNumber, const QString& port, ErrorCase& ecase) const {
    ecase = failure_;
    if (failure_ != ErrorCase::Correct) return false;
    const std::optional<QStringList> lines = readLines(path_);
    if (!lines || !QFile::exists(path_)) {
        ecase = ErrorCase::UnableToOpenFile;
        return false;
    }
    return std::any_of(lines->begin(), lines->end(),
                       [&](const QString& line) { return names(line, serialNumber, port); });
}

ErrorCase RecoveryFile::remove(const QString& serialNumber, const QString& port) const {
    if (failure_ != ErrorCase::Correct) return failure_;
    return rewrite(path_, [&](QStringList& lines) {
        return lines.removeIf([&](const QString& line) { return names(line, serialNumber, port); }) > 0;
    });
}

}  // namespace weighdesk
