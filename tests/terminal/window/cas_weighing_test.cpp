// The weighing page on a CAS scale that stays CAS: the unit words, the zero mark and overload "F".
// The window's connect would switch such a scale to POS, so the facade is opened here directly.
#include <QTest>
#include <memory>

#include "error-strip.h"
#include "main-window.h"
#include "permanent.h"
#include "weighing-page.h"
#include "window-test-support.h"

using weighdesk::MainWindow;

using Norvell::Balvex::CppWrapper::Driver;
using Norvell::Balvex::CppWrapper::ErrorCase;
using Norvell::Balvex::CppWrapper::LogicDeviceParamType;
using windowtest::labelText;
using windowtest::shows;

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

class CasWeighingTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        sim_ = std::make_unique<windowtest::SimScale>(std::vector<std::string>{"--protocol", "cas"});
        QVERIFY(sim_->started() && sim_->control("stable 1"));
        window_ = std::make_unique<MainWindow>("", [] { return QStringList(); });
        page_ = window_->findChild<weighdesk::WeighingPage*>();
        QVERIFY(page_ != nullptr);
        QCOMPARE(openCas(sim_->link()), ErrorCase::Correct);
        page_->prepare(kCas);
        page_->startPolling(kCas);
    }
    void cleanup() {
        window_.reset();
        sim_.reset();
    }

    void unitsFollowTheScale_data() {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("grams");
        QTest::addColumn<QString>("shown");
        QTest::newRow("kilograms") << "kg" << 1500 << "<span>1.500 </span><span style=\"font-size:70px; \">кг</span>";
        QTest::newRow("grams") << "g" << 125 << "<span>125 </span><span style=\"font-size:70px; \">г</span>";
        QTest::newRow("pounds") << "lb" << 2000 << "фунт";
    }
    void unitsFollowTheScale() {
        QFETCH(QString, unit);
        QFETCH(int, grams);
        QFETCH(QString, shown);
        QVERIFY(!shows(*window_, "w_tare_weight"));
        QVERIFY(sim_->control("unit " + unit.toStdString()));
        QVERIFY(sim_->control("weight " + std::to_string(grams)));
        QTRY_VERIFY2_WITH_TIMEOUT(labelText(*window_, "lbl_net_weight").contains(shown),
                                  qPrintable(labelText(*window_, "lbl_net_weight")), 5000);
        QVERIFY(shows(*window_, "lbl_mark_non_zero"));
    }

    void zeroWeightSetsTheZeroMark() {
        QVERIFY(sim_->control("weight 300"));
        QTRY_VERIFY_WITH_TIMEOUT(shows(*window_, "lbl_mark_non_zero"), 5000);
        QVERIFY(sim_->control("weight 0"));
        QTRY_VERIFY_WITH_TIMEOUT(shows(*window_, "lbl_mark_zero"), 5000);
        QVERIFY(sim_->control("stable 0"));
        QTRY_VERIFY_WITH_TIMEOUT(shows(*window_, "lbl_mark_unstable"), 5000);
    }

    void overloadShowsTheErrorLabel() {
        QVERIFY(sim_->control("overload 1"));
        QTRY_VERIFY_WITH_TIMEOUT(shows(*window_, "lbl_net_weight_error"), 5000);
        QCOMPARE(window_->errorStrip().text(), QStringLiteral("Перегруз"));
        QVERIFY(sim_->control("overload 0"));
        QTRY_VERIFY_WITH_TIMEOUT(shows(*window_, "lbl_net_weight"), 5000);
    }

private:
    std::unique_ptr<windowtest::SimScale> sim_;
    std::unique_ptr<MainWindow> window_;
    weighdesk::WeighingPage* page_ = nullptr;
};

std::unique_ptr<QObject> makeCasWeighingTest() {
    return std::make_unique<CasWeighingTest>();
}

#include "cas_weighing_test.moc"
