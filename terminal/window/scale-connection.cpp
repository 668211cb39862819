#include "scale-connection.h"

#include <utility>

#include "parameter-rows.h"
#include "permanent.h"

namespace weighdesk {

using Norvell::Balvex::CppWrapper::Command;
using Norvell::Balvex::CppWrapper::Driver;
using Norvell::Balvex::CppWrapper::ErrorCase;
using Norvell::Balvex::CppWrapper::LogicDeviceParamType;
using Norvell::Balvex::CppWrapper::ParamType;

namespace {

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

ScaleConnection::ScaleConnection(RecoveryFile recoveryFile) : recoveryFile_(std::move(recoveryFile)) {}

ErrorCase ScaleConnection::connect(ConnectionParams& scale) {
    ErrorCase ecase = open(scale);
    if (ecase != ErrorCase::Correct) return ecase;
    readScaleData(scale, ecase);
    if (ecase != ErrorCase::Correct) return ecase;
    if (scale.protocol.contains("CAS")) switchToPos(scale);
    return ErrorCase::Correct;
}

void ScaleConnection::restore(ConnectionParams& scale) {
    ErrorCase ecase = ErrorCase::Correct;
    const bool noted = recoveryFile_.contains(scale.serialNumber, scale.port, ecase);
    if (!protocolSwitched_ && !noted) return;
    if (switchProtocol(scale, kCasProtocol)) {
        protocolSwitched_ = false;
        recoveryFile_.remove(scale.serialNumber, scale.port);
    }
}

ErrorCase ScaleConnection::state() {
    ErrorCase ecase = ErrorCase::Correct;
    facade().isPortOpen(ecase);
    return ecase;
}

void ScaleConnection::close() {
    ErrorCase ecase = ErrorCase::Correct;
    if (facade().isPortOpen(ecase)) facade().closePort(ecase);
}

bool ScaleConnection::isOpen() {
    ErrorCase ecase = ErrorCase::Correct;
    return facade().isPortOpen(ecase) && ecase == ErrorCase::Correct;
}

ErrorCase ScaleConnection::open(const ConnectionParams& scale) {
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

void ScaleConnection::readScaleData(ConnectionParams& scale, ErrorCase& ecase) {
    const std::string firmware =
        facade().exeGettingCommand(Command::GetFirmwareVersion2, ParamType::FirmwareVersion2, ecase);
    if (ecase != ErrorCase::Correct) return;
    scale.firmwareVersion = firmwareVersionText(QString::fromStdString(firmware));
    const std::string count =
        facade().exeGettingCommand(Command::GetCountOfCalibration, ParamType::CountOfCalibration, ecase);
    if (ecase != ErrorCase::Correct) return;
    scale.calibrationCount = QString::fromStdString(count).trimmed().toInt();
}

bool ScaleConnection::switchProtocol(ConnectionParams& scale, const QString& protocol) {
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

void ScaleConnection::switchToPos(ConnectionParams& scale) {
    if (!switchProtocol(scale, kPosProtocol)) return;
    recoveryFile_.append(scale.serialNumber, scale.port);
    ErrorCase ecase = ErrorCase::Correct;
    facade().closePort(ecase);
    if (ecase == ErrorCase::Correct) facade().openPort(ecase);
}

}  // namespace weighdesk
