#pragma once
// The window's pages as the calibration and information controllers see them: the stacked
// widget and the pages' widgets under the object names of the window's form. Also the
// connection to a simulated scale through the real facade and driver.
#include <QLabel>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <string>

#include "permanent.h"
#include "support/sim-process.h"

namespace pagetree {

inline const QStringList kPageNames = {"page_loader",
                                       "page_devices",
                                       "page_search",
                                       "page_main",
                                       "page_menu",
                                       "page_calibration",
                                       "page_calibration_zero",
                                       "page_calibration_weight",
                                       "page_calibration_result",
                                       "page_info",
                                       "page_selected"};

inline void addLabel(QWidget* page, const char* name) {
    auto* label = new QLabel(page);
    label->setObjectName(name);
}

inline std::unique_ptr<QWidget> build() {
    auto root = std::make_unique<QWidget>();
    auto* pages = new QStackedWidget(root.get());
    pages->setObjectName("sw_window_manager");
    for (const QString& name : kPageNames) {
        auto* page = new QWidget(pages);
        page->setObjectName(name);
        pages->addWidget(page);
    }
    addLabel(pages->widget(5), "lbl_calibration_input");
    addLabel(pages->widget(7), "lbl_calibration_weight_input");
    addLabel(pages->widget(8), "lbl_calibration_result_counter");
    auto* scroll = new QScrollArea(pages->widget(9));
    scroll->setObjectName("sa_parameters");
    auto* rows = new QWidget();
    rows->setObjectName("sawc_parameters");
    scroll->setWidget(rows);
    scroll->setWidgetResizable(true);
    return root;
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
