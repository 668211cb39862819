#include "search-devices.h"

#include <QSerialPortInfo>
#include <QThread>

#include "permanent.h"
#include "platform.h"
#include "scale-text.h"

namespace weighdesk {

using Norvell::Balvex::CppWrapper::Command;
using Norvell::Balvex::CppWrapper::Driver;
using Norvell::Balvex::CppWrapper::ErrorCase;
using Norvell::Balvex::CppWrapper::LogicDeviceParamType;
using Norvell::Balvex::CppWrapper::ParamType;

namespace {

bool isSupportedProtocol(const std::string& protocol) {
    return protocol == "POS2KProV1" || protocol == "CAS-K ProV1";
}

bool configureAutoDetection(Driver& driver, const QString& port, ErrorCase& error) {
    driver.setConnectionParam(LogicDeviceParamType::EndPoint, port.toStdString(), error);
    if (error == ErrorCase::Correct) driver.setConnectionParam(LogicDeviceParamType::Model, "auto", error);
    if (error == ErrorCase::Correct) driver.setConnectionParam(LogicDeviceParamType::Protocol, "auto", error);
    return error == ErrorCase::Correct;
}

// A check that gives up must not keep the port: the next program or search may need it.
void closeQuietly(Driver& driver) {
    ErrorCase ignored = ErrorCase::Correct;
    driver.closePort(ignored);
}

void closeIfOpen(Driver& driver) {
    ErrorCase ignored = ErrorCase::Correct;
    if (driver.isPortOpen(ignored)) closeQuietly(driver);
}

}  // namespace

QStringList systemSerialPorts() {
    QStringList ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) ports << info.systemLocation();
    return ports;
}

// Ten steps a port; 90 rather than 100 at the end, so the bar still moves when the finish comes.
int searchProgress(int step, int portCount) {
    if (portCount <= 0) return 0;
    return static_cast<int>(static_cast<long long>(step) * 90 / (10LL * portCount));
}

int stepAfterPort(int step) {
    return (step / 10 + 1) * 10;
}

SearchDevices::SearchDevices(SerialPortLister allPorts) : allPorts_(std::move(allPorts)) {}

bool SearchDevices::interrupted() {
    return QThread::currentThread()->isInterruptionRequested();
}

void SearchDevices::step() {
    ++step_;
    emit set_progress_value(searchProgress(step_, portCount_));
}

void SearchDevices::search(QStringList ports) {
    if (ports.isEmpty() && allPorts_) ports = allPorts_();
    portCount_ = static_cast<int>(ports.size());
    QList<ConnectionParams> found;
    for (const QString& port : ports) {
        if (interrupted()) break;
        ConnectionParams params;
        params.port = port;
        ErrorCase error = ErrorCase::Correct;
        if (checkPort(params, error)) found << params;
        step_ = stepAfterPort(step_);
        emit set_progress_value(searchProgress(step_, portCount_));
        // A facade failure ends the search; the scales found so far still go out.
        if (error != ErrorCase::Correct) break;
    }
    if (interrupted()) {
        emit devices_search_finished(std::nullopt);
    } else {
        emit devices_search_finished(found);
    }
}

bool SearchDevices::checkPort(ConnectionParams& params, ErrorCase& error) {
    Driver& driver = Driver::getInstanceLib();
    if (driver.isPortOpen(error)) driver.closePort(error);
    if (error != ErrorCase::Correct) return false;
    step();
    if (!configureAutoDetection(driver, params.port, error)) return false;
    step();
    driver.openPort(error);
    if (error != ErrorCase::Correct) {
        if (error == ErrorCase::ConnectionError &&
            weighdesk::platform::IsHeldByAnotherProgram(params.port.toStdString()))
            emit port_held(params.port);
        // A port without a scale is not an error; only a broken open-state query is.
        if (driver.isPortOpen(error)) closeQuietly(driver);
        return false;
    }
    const bool accepted = readScaleData(params, error);
    if (!accepted) closeIfOpen(driver);
    return accepted;
}

bool SearchDevices::readScaleData(ConnectionParams& params, ErrorCase& error) {
    Driver& driver = Driver::getInstanceLib();
    step();
    const std::string protocol = driver.getConnectionParam(LogicDeviceParamType::Protocol, error);
    if (error != ErrorCase::Correct || !isSupportedProtocol(protocol)) return false;
    step();
    const std::string model = driver.getConnectionParam(LogicDeviceParamType::Model, error);
    if (error != ErrorCase::Correct) return false;
    step();
    const std::string serial = driver.exeGettingCommand(Command::GetSerialNumber, ParamType::SerialNumber, error);
    if (error != ErrorCase::Correct) return false;
    step();
    const std::string maxWeight = driver.exeGettingCommand(Command::GetMaxWeight, ParamType::MaxWeight, error);
    if (error != ErrorCase::Correct) return false;
    step();
    const std::string division = driver.exeGettingCommand(Command::GetDiscret, ParamType::Discret, error);
    if (error != ErrorCase::Correct) return false;
    step();
    driver.closePort(error);
    if (error != ErrorCase::Correct) return false;
    step();
    params.protocol = QString::fromStdString(protocol);
    params.reportedModel = QString::fromStdString(model);
    params.model = weighdesk::shortenModel(params.reportedModel);
    params.serialNumber = QString::fromStdString(serial);
    params.maxWeight = static_cast<int>(QString::fromStdString(maxWeight).trimmed().toDouble());
    params.division = weighdesk::divisionFromCode(QString::fromStdString(division));
    return true;
}

}  // namespace weighdesk
