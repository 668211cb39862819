// A CAS scale is weighed over POS: switched on connect, noted in the recovery file, switched back at
// close, and still switched back by the next run when a run ended without closing.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStackedWidget>
#include <QTest>
#include <memory>

#include "main-window.h"
#include "window-test-support.h"

using windowtest::click;
using windowtest::page;
using windowtest::recoveryLines;
using windowtest::widget;

namespace {

std::unique_ptr<MainWindow> connectedWindow(const QString& port) {
    auto window = std::make_unique<MainWindow>(port.toStdString(), [] { return QStringList(); });
    window->show();
    return window;
}

void seedRecoveryFile(const QByteArray& lines) {
    QVERIFY(QDir().mkpath(QFileInfo(windowtest::recoveryFilePath()).path()));
    QFile file(windowtest::recoveryFilePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(lines);
}

}  // namespace

class ProtocolSwitchTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        sim_ = std::make_unique<windowtest::SimScale>(std::vector<std::string>{"--protocol", "cas"});
        QVERIFY(sim_->started() && sim_->control("stable 1"));
        QVERIFY(sim_->control("set sern 77770001"));
        seedRecoveryFile("55550001\n");
    }
    void cleanup() { sim_.reset(); }

    void casScaleIsSwitchedOnConnectAndBackAtClose() {
        auto window = connectedWindow(sim_->link());
        QTRY_COMPARE_WITH_TIMEOUT(page(*window), 3, 20000);
        QCOMPARE(sim_->setting("prov"), std::string("1"));
        QCOMPARE(recoveryLines(), QStringList({"55550001", "77770001"}));
        QVERIFY(sim_->control("weight 1200"));
        QTRY_VERIFY_WITH_TIMEOUT(windowtest::labelText(*window, "lbl_net_weight").contains(">1.200 <"), 5000);
        QVERIFY(windowtest::shows(*window, "w_tare_weight"));

        windowtest::StdoutCapture out;
        window->close();
        QCOMPARE(sim_->setting("prov"), std::string("0"));
        QCOMPARE(recoveryLines(), QStringList({"55550001"}));  // the other scale's line is kept
        QVERIFY(out.text().contains("\"serialNumber\": \"77770001\""));
    }

    void nextRunRestoresAfterARunThatDidNotClose() {
        {
            auto crashed = connectedWindow(sim_->link());
            QTRY_COMPARE_WITH_TIMEOUT(page(*crashed), 3, 20000);
        }  // destroyed without a close event, as after a crash
        QCOMPARE(sim_->setting("prov"), std::string("1"));
        QVERIFY(recoveryLines().contains("77770001"));

        auto next = connectedWindow(sim_->link());
        QTRY_COMPARE_WITH_TIMEOUT(page(*next), 3, 20000);
        windowtest::StdoutCapture out;
        next->close();
        QCOMPARE(sim_->setting("prov"), std::string("0"));
        QCOMPARE(recoveryLines(), QStringList({"55550001"}));
    }

private:
    std::unique_ptr<windowtest::SimScale> sim_;
};

std::unique_ptr<QObject> makeProtocolSwitchTest() {
    return std::make_unique<ProtocolSwitchTest>();
}

#include "protocol_switch_test.moc"
