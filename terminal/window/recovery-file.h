#pragma once
// "protocol_recovery.txt": the scales whose protocol this terminal switched from CAS to POS, so that
// a later run can switch them back after a crash. One scale a line: its serial number, a tab and
// its port; a line with a serial number alone (as older terminals wrote) names that scale on any
// port. Terminals share the file: every change is made under an exclusive lock on
// "protocol_recovery.txt.lock" and written whole by a rename, so no change is lost and no reader
// sees half a file.
#include <QString>

#include "cpp-wrapper-defines.h"

namespace weighdesk {

class RecoveryFile {
public:
    // The file in the folder above the driver's log folder; when the driver cannot name its log
    // folder, every operation does nothing and reports that failure.
    static RecoveryFile besideLogFolder();
    explicit RecoveryFile(const QString& folder);

    Norvell::Balvex::CppWrapper::ErrorCase append(const QString& serialNumber, const QString& port) const;
    bool contains(const QString& serialNumber, const QString& port,
                  Norvell::Balvex::CppWrapper::ErrorCase& ecase) const;
    Norvell::Balvex::CppWrapper::ErrorCase remove(const QString& serialNumber, const QString& port) const;

    const QString& path() const { return path_; }

private:
    explicit RecoveryFile(Norvell::Balvex::CppWrapper::ErrorCase failure) : failure_(failure) {}

    QString path_;
    Norvell::Balvex::CppWrapper::ErrorCase failure_ = Norvell::Balvex::CppWrapper::ErrorCase::Correct;
};

}  // namespace weighdesk
