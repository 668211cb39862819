#pragma once
// The window's widget tree for the calibration and information controllers, and the connection
// to a simulated scale through the real facade and driver.
#include <QLabel>
#include <QStackedWidget>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <string>

#include "main-window.h"
#include "permanent.h"
#include "support/sim-process.h"

namespace pagetree {

// The real window on the page-selection page: no port given, no serial port listed.
inline std::unique_ptr<QWidget> build() {
    return std::make_unique<weighdesk::MainWindow>("", [] { return QStringList(); });
}

inline QStackedWidget* pages(QWidget* root) {
    return root->findChild<QStackedWidget*>("sw_window_manager");
}

// Opens the facade's one connection on the simulator, the protocol found by the driver.
inline Norvell::Balvex::CppWrapper::ErrorCase connect(const std::string& endpoint) {
    using namespace Norvell::Balvex::CppWrapper;
    Driver& driver = Driver::getInstanceLib();
    ErrorCase ecase = ErrorCase::Correct;
    if (driver.isPortOpen(ecase)) driver.closePort(ecase);
    driver.setConnectionParam(LogicDeviceParamType::EndPoint, endpoint, ecase);
    if (ecase == ErrorCase::Correct) driver.setConnectionParam(LogicDeviceParamType::Model, "auto", ecase);
    if (ecase == ErrorCase::Correct) driver.setConnectionParam(LogicDeviceParamType::Protocol, "auto", ecase);
    if (ecase == ErrorCase::Correct) driver.openPort(ecase);
    return ecase;
}

// A simulated scale on a pseudo-terminal with the facade's connection open on it; none when
// either fails.
inline std::unique_ptr<testsupport::SimProcess> startConnectedScale() {
    auto sim = std::make_unique<testsupport::SimProcess>(std::vector<std::string>{"--pty"});
    if (!sim->started() || connect(sim->endpoint()) != Norvell::Balvex::CppWrapper::ErrorCase::Correct) return {};
    return sim;
}

inline void disconnect() {
    auto ecase = Norvell::Balvex::CppWrapper::ErrorCase::Correct;
    Norvell::Balvex::CppWrapper::Driver::getInstanceLib().closePort(ecase);
}

}  // namespace pagetree
