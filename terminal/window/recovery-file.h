#pragma once
// "protocol_recovery.txt": the serial numbers of scales whose protocol this terminal switched from
// CAS to POS, one a line, so that a later run can switch them back after a crash.
#include <QString>

#include "cpp-wrapper-defines.h"

namespace weighdesk {

class RecoveryFile {
public:
    // The file in the folder above the driver's log folder; when the driver cannot name its log
    // folder, every operation does nothing and reports that failure.
    static RecoveryFile besideLogFolder();
    explicit RecoveryFile(const QString& folder);

    Norvell::Balvex::CppWrapper::ErrorCase append(const QString& serialNumber) const;
    bool contains(const QString& serialNumber, Norvell::Balvex::CppWrapper::ErrorCase& ecase) const;
    // Rewrites the file without the serial number: the kept lines go to a temporary file in the
    // same folder, which then replaces the file, so a crash midway loses nothing.
    Norvell::Balvex::CppWrapper::ErrorCase remove(const QString& serialNumber) const;

    const QString& path() const { return path_; }

private:
    explicit RecoveryFile(Norvell::Balvex::CppWrapper::ErrorCase failure) : failure_(failure) {}

    QString path_;
    Norvell::Balvex::CppWrapper::ErrorCase failure_ = Norvell::Balvex::CppWrapper::ErrorCase::Correct;
};

}  // namespace weighdesk
