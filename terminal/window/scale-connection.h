#pragma once
// Connecting to the selected scale through the facade. A CAS scale is switched to POS on connect
// (the terminal weighs over POS) and noted in the recovery file; at close the protocol is switched
// back, in this run or in a later one after a crash. Every call may wait on the line: it runs on
// the line thread only.
#include <QString>

#include "connection-params.h"
#include "cpp-wrapper-defines.h"
#include "recovery-file.h"

namespace weighdesk {

class ScaleConnection {
public:
    explicit ScaleConnection(RecoveryFile recoveryFile);

    // Opens the scale's port, with the model text the driver reported, and reads its firmware
    // version and calibration count into it. A failure of the protocol switch is not the caller's
    // concern and leaves the result alone.
    Norvell::Balvex::CppWrapper::ErrorCase connect(ConnectionParams& scale);
    // Switches a scale switched by this run, or noted in the recovery file, back to CAS.
    void restore(ConnectionParams& scale);
    // What the facade answers when asked about the port: not Correct when the driver is unusable.
    Norvell::Balvex::CppWrapper::ErrorCase state();
    // Closes the port if it is open.
    void close();
    bool isOpen();

    bool protocolSwitched() const { return protocolSwitched_; }
    const RecoveryFile& recoveryFile() const { return recoveryFile_; }

private:
    Norvell::Balvex::CppWrapper::ErrorCase open(const ConnectionParams& scale);
    void readScaleData(ConnectionParams& scale, Norvell::Balvex::CppWrapper::ErrorCase& ecase);
    bool switchProtocol(ConnectionParams& scale, const QString& protocol);
    void switchToPos(ConnectionParams& scale);

    RecoveryFile recoveryFile_;
    bool protocolSwitched_ = false;
};

}  // namespace weighdesk
