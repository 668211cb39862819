#pragma once
// Connecting to the selected scale through the facade, on the line thread. A CAS scale is switched
// to POS on connect (the terminal weighs over POS) and noted in the recovery file; at close the
// protocol is switched back, in this run or in a later one after a crash. A lost line is reopened
// after a pause. Results come back to the GUI thread.
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "connection-params.h"
#include "cpp-wrapper-defines.h"
#include "recovery-file.h"

namespace weighdesk {

class LineWorker;

class ScaleConnection : public QObject {
    Q_OBJECT
public:
    // The code, and the scale as the connect left it: firmware version, calibration count and,
    // after a switch, its protocol.
    using Connected = std::function<void(Norvell::Balvex::CppWrapper::ErrorCase, const ConnectionParams&)>;

    ScaleConnection(LineWorker& line, RecoveryFile recoveryFile, QObject* parent = nullptr);
    ~ScaleConnection() override;

    // Opens the scale's port with the model text the driver reported and reads its firmware version
    // and calibration count. A failed connect leaves no port open; a failed protocol switch does not
    // fail the connect.
    void connectTo(const ConnectionParams& scale, Connected done);
    // Closes the line now and connects again after a pause: reconnected or reconnectFailed follows.
    void reconnectLater(const ConnectionParams& scale);
    void cancelReconnect();
    // Switches a scale switched by this run, or noted in the recovery file, back to CAS.
    void restore(const std::optional<ConnectionParams>& scale, std::function<void()> done);
    // Closes the port if it is open.
    void close();
    // What the facade answers when asked about the port: not Correct when the driver is unusable.
    // Asked before any call runs on the line.
    Norvell::Balvex::CppWrapper::ErrorCase state();

signals:
    void reconnected(const ConnectionParams& scale);
    void reconnectFailed();

private:
    class Line;

    LineWorker& line_;
    std::shared_ptr<Line> work_;  // used on the line thread only
    QTimer reconnectTimer_;
    std::optional<ConnectionParams> reconnecting_;
};

}  // namespace weighdesk
