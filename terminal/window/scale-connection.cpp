#include "scale-connection.h"

#include <utility>

#include "driver/reading.h"
#include "line-worker.h"
#include "parameter-rows.h"
#include "permanent.h"

namespace weighdesk {

using Norvell::Balvex::CppWrapper::Command;
using Norvell::Balvex::CppWrapper::Driver;
using Norvell::Balvex::CppWrapper::ErrorCase;
using Norvell::Balvex::CppWrapper::LogicDeviceParamType;
using Norvell::Balvex::CppWrapper::ParamType;

namespace {

constexpr int kReconnectDelayMs = 5000;

const QString kCasProtocol = QStringLiteral("CAS-K ProV1");
const QString kPosProtocol = QStringLiteral("POS2KProV1");

// The scale's code for each protocol it can be switched to.
QString protocolCode(const QString& protocol) {
    if (protocol == kCasProtocol) return QStringLiteral("0");
    if (protocol == kPosProtocol) return QStringLiteral("1");
    return QString();
}

Driver& facade() {
    return Driver::getInstanceLib();
}

}  // namespace

// The calls that wait on the line, and what they remember between calls.
class ScaleConnection::Line {
public:
    explicit Line(RecoveryFile recoveryFile) : recoveryFile_(std::move(recoveryFile)) {}

    ErrorCase connect(ConnectionParams& scale) {
        ErrorCase ecase = open(scale);
        if (ecase == ErrorCase::Correct) readScaleData(scale, ecase);
        if (ecase != ErrorCase::Correct) {
            close();
            return ecase;
        }
        if (driver::FamilyOf(scale.protocol.toStdString()) == driver::ProtocolFamily::Cas) switchToPos(scale);
        return ErrorCase::Correct;
    }

    void restore(ConnectionParams& scale) {
        ErrorCase ecase = ErrorCase::Correct;
        const bool noted = recoveryFile_.contains(scale.serialNumber, scale.port, ecase);
        if (!protocolSwitched_ && !noted) return;
        if (switchProtocol(scale, kCasProtocol)) {
            protocolSwitched_ = false;
            recoveryFile_.remove(scale.serialNumber, scale.port);
        }
    }

    void close() {
        ErrorCase ecase = ErrorCase::Correct;
        if (facade().isPortOpen(ecase)) facade().closePort(ecase);
    }

private:
    ErrorCase open(const ConnectionParams& scale) {
        const std::pair<LogicDeviceParamType, QString> settings[] = {
            {LogicDeviceParamType::EndPoint, scale.port},
            {LogicDeviceParamType::Protocol, scale.protocol},
            // The shortened model is for display; the driver checks the model against its own text.
            {LogicDeviceParamType::Model, scale.reportedModel.isEmpty() ? scale.model : scale.reportedModel},
        };
        ErrorCase ecase = ErrorCase::Correct;
        for (const auto& [type, value] : settings) {
            facade().setConnectionParam(type, value.toStdString(), ecase);
            if (ecase != ErrorCase::Correct) return ecase;
        }
        close();
        facade().openPort(ecase);
        return ecase;
    }

    void readScaleData(ConnectionParams& scale, ErrorCase& ecase) {
        const std::string firmware =
            facade().exeGettingCommand(Command::GetFirmwareVersion2, ParamType::FirmwareVersion2, ecase);
        if (ecase != ErrorCase::Correct) return;
        scale.firmwareVersion = firmwareVersionText(QString::fromStdString(firmware));
        const std::string count =
            facade().exeGettingCommand(Command::GetCountOfCalibration, ParamType::CountOfCalibration, ecase);
        if (ecase != ErrorCase::Correct) return;
        scale.calibrationCount = QString::fromStdString(count).trimmed().toInt();
    }

    bool switchProtocol(ConnectionParams& scale, const QString& protocol) {
        ErrorCase ecase = ErrorCase::Correct;
        facade().exeSettingCommand(Command::SetProtocolVersion, ParamType::ProtocolVersion,
                                   protocolCode(protocol).toStdString(), ecase);
        if (ecase != ErrorCase::Correct) return false;
        facade().setConnectionParam(LogicDeviceParamType::Protocol, protocol.toStdString(), ecase);
        if (ecase != ErrorCase::Correct) return false;
        scale.protocol = protocol;
        protocolSwitched_ = true;
        return true;
    }

    // The scale answers the switch in its old protocol: the line is opened anew for the new one.
    void switchToPos(ConnectionParams& scale) {
        if (!switchProtocol(scale, kPosProtocol)) return;
        recoveryFile_.append(scale.serialNumber, scale.port);
        ErrorCase ecase = ErrorCase::Correct;
        facade().closePort(ecase);
        if (ecase == ErrorCase::Correct) facade().openPort(ecase);
    }

    RecoveryFile recoveryFile_;
    bool protocolSwitched_ = false;
};

ScaleConnection::ScaleConnection(LineWorker& line, RecoveryFile recoveryFile, QObject* parent)
    : QObject(parent), line_(line), work_(std::make_shared<Line>(std::move(recoveryFile))) {
    reconnectTimer_.setSingleShot(true);
    reconnectTimer_.setInterval(kReconnectDelayMs);
    QObject::connect(&reconnectTimer_, &QTimer::timeout, this, [this] {
        if (!reconnecting_) return;
        connectTo(*reconnecting_, [this](ErrorCase ecase, const ConnectionParams& scale) {
            reconnecting_.reset();
            if (ecase == ErrorCase::Correct) {
                emit reconnected(scale);
            } else {
                emit reconnectFailed();
            }
        });
    });
}

ScaleConnection::~ScaleConnection() = default;

void ScaleConnection::connectTo(const ConnectionParams& scale, Connected done) {
    line_.run(
        [work = work_, scale = ConnectionParams(scale)]() mutable {
            const ErrorCase ecase = work->connect(scale);
            return std::pair{ecase, scale};
        },
        [done = std::move(done)](const std::pair<ErrorCase, ConnectionParams>& outcome) {
            done(outcome.first, outcome.second);
        });
}

void ScaleConnection::reconnectLater(const ConnectionParams& scale) {
    close();
    reconnecting_ = scale;
    reconnectTimer_.start();
}

void ScaleConnection::cancelReconnect() {
    reconnectTimer_.stop();
    reconnecting_.reset();
}

void ScaleConnection::restore(const std::optional<ConnectionParams>& scale, std::function<void()> done) {
    line_.run(
        [work = work_, scale = std::optional<ConnectionParams>(scale)]() mutable {
            if (scale) work->restore(*scale);
        },
        std::move(done));
}

void ScaleConnection::close() {
    line_.run([work = work_] { work->close(); });
}

ErrorCase ScaleConnection::state() {
    ErrorCase ecase = ErrorCase::Correct;
    facade().isPortOpen(ecase);
    return ecase;
}

}  // namespace weighdesk
