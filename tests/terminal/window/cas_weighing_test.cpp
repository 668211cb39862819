// The weighing page on a CAS scale that stays CAS: the unit words, the zero mark and overload "F".
// The window's connect would switch such a scale to POS, so the facade is opened here directly.

#include <tuple>

#include "permanent.h"
#include "weighing-page.h"
#include "window-test-support.h"

using namespace windowtest;

using Norvell::Balvex::CppWrapper::Driver;
using Norvell::Balvex::CppWrapper::ErrorCase;
using Norvell::Balvex::CppWrapper::LogicDeviceParamType;

namespace {

const QString kCas = QStringLiteral("CAS-K ProV1");

ErrorCase openCas(const QString& port) {
    Driver& driver = Driver::getInstanceLib();
    ErrorCase ecase = ErrorCase::Correct;
    driver.setConnectionParam(LogicDeviceParamType::EndPoint, port.toStdString(), ecase);
    driver.setConnectionParam(LogicDeviceParamType::Protocol, kCas.toStdString(), ecase);
    driver.setConnectionParam(LogicDeviceParamType::Model, "auto", ecase);
    if (ecase == ErrorCase::Correct) driver.openPort(ecase);
    return ecase;
}

}  // namespace

class CasWeighingTest : public WindowSuite {
    Q_OBJECT
private slots:
    void init() {
        window_.reset();
        sim_ = std::make_unique<SimScale>(std::vector<std::string>{"--protocol", "cas"});
        QVERIFY(sim_->started() && sim_->control("stable 1"));
        window_ = std::make_unique<MainWindow>("", [] { return QStringList(); });
        auto* page = window_->findChild<weighdesk::WeighingPage*>();
        QVERIFY(page != nullptr);
        QCOMPARE(openCas(sim_->link()), ErrorCase::Correct);
        page->prepare(kCas);
        page->startPolling(kCas);
    }

    // CAS gives no tare.
    void unitsFollowTheScale() {
        QVERIFY(!shows(*window_, "w_tare_weight"));
        const std::tuple<std::string, std::string, QString> units[] = {
            {"kg", "1500", "<span>1.500 </span><span style=\"font-size:70px; \">кг</span>"},
            {"g", "125", "<span>125 </span><span style=\"font-size:70px; \">г</span>"},
            {"lb", "2000", "фунт"}};
        for (const auto& [unit, grams, shown] : units) {
            QVERIFY(sim_->control("unit " + unit) && sim_->control("weight " + grams));
            QTRY_VERIFY2_WITH_TIMEOUT(labelText(*window_, "lbl_net_weight").contains(shown),
                                      qPrintable(labelText(*window_, "lbl_net_weight")), 5000);
            QVERIFY(shows(*window_, "lbl_mark_non_zero"));
        }
    }

    void marksAndOverloadFollowTheScale() {
        QVERIFY(sim_->control("weight 300"));
        QTRY_VERIFY_WITH_TIMEOUT(shows(*window_, "lbl_mark_non_zero"), 5000);
        QVERIFY(sim_->control("weight 0"));
        QTRY_VERIFY_WITH_TIMEOUT(shows(*window_, "lbl_mark_zero"), 5000);
        QVERIFY(sim_->control("stable 0"));
        QTRY_VERIFY_WITH_TIMEOUT(shows(*window_, "lbl_mark_unstable") && shows(*window_, "lbl_mark_zero"), 5000);
        QVERIFY(sim_->control("overload 1"));
        QTRY_VERIFY_WITH_TIMEOUT(shows(*window_, "lbl_net_weight_error"), 5000);
        QCOMPARE(window_->errorStrip().text(), QStringLiteral("Перегруз"));
        QVERIFY(sim_->control("overload 0"));
        QTRY_VERIFY_WITH_TIMEOUT(shows(*window_, "lbl_net_weight"), 5000);
    }
};

WINDOW_SUITE(CasWeighingTest, "cas");

#include "cas_weighing_test.moc"
