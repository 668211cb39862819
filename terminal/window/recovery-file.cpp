#include "recovery-file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <QTextStream>

#include "cpp-wrapper.h"

namespace weighdesk {

using Norvell::Balvex::CppWrapper::ErrorCase;

namespace {

const QString kFileName = QStringLiteral("protocol_recovery.txt");

QStringList readLines(QFile& file) {
    QStringList lines;
    QTextStream in(&file);
    while (!in.atEnd()) lines << in.readLine();
    return lines;
}

}  // namespace

RecoveryFile RecoveryFile::besideLogFolder() {
    const auto [logFolder, ecase] = Norvell::Balvex::CppWrapper::LoggingPath();
    if (ecase != ErrorCase::Correct) return RecoveryFile(ecase);
    // The log folder without its last element; cleanPath drops a trailing separator first.
    const QString cleaned = QDir::cleanPath(QString::fromStdString(logFolder));
    return RecoveryFile(QFileInfo(cleaned).path());
}

RecoveryFile::RecoveryFile(const QString& folder) : path_(QDir(folder).filePath(kFileName)) {}

ErrorCase RecoveryFile::append(const QString& serialNumber) const {
    if (failure_ != ErrorCase::Correct) return failure_;
    QDir().mkpath(QFileInfo(path_).path());
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) return ErrorCase::UnableToOpenFile;
    QTextStream(&file) << serialNumber << '\n';
    return ErrorCase::Correct;
}

bool RecoveryFile::contains(const QString& serialNumber, ErrorCase& ecase) const {
    ecase = failure_;
    if (failure_ != ErrorCase::Correct) return false;
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        ecase = ErrorCase::UnableToOpenFile;
        return false;
    }
    return readLines(file).contains(serialNumber);
}

ErrorCase RecoveryFile::remove(const QString& serialNumber) const {
    if (failure_ != ErrorCase::Correct) return failure_;
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return ErrorCase::UnableToOpenFile;
    QStringList kept = readLines(file);
    file.close();
    kept.removeAll(serialNumber);

    QSaveFile rewritten(path_);
    if (!rewritten.open(QIODevice::WriteOnly | QIODevice::Text)) return ErrorCase::UnableToOpenFile;
    QTextStream out(&rewritten);
    for (const QString& line : kept) out << line << '\n';
    out.flush();
    return rewritten.commit() ? ErrorCase::Correct : ErrorCase::UnableToOpenFile;
}

}  // namespace weighdesk
