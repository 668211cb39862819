// A CAS scale is weighed over POS: switched on connect, noted in the recovery file, switched back at
// close, and still switched back by the next run when a run ended without closing.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <thread>

#include "recovery-file.h"
#include "window-test-support.h"

using namespace windowtest;

using Norvell::Balvex::CppWrapper::ErrorCase;

namespace {

// The window's recovery file lives beside the logs.
QString recoveryFilePath() {
    return weighdesk::RecoveryFile::besideLogFolder().path();
}

QStringList recoveryLines() {
    QFile file(recoveryFilePath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

void seedRecoveryFile(const QByteArray& lines) {
    QVERIFY(QDir().mkpath(QFileInfo(recoveryFilePath()).path()));
    QFile file(recoveryFilePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(lines);
}

}  // namespace

class ProtocolSwitchTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        sim_ = std::make_unique<SimScale>(std::vector<std::string>{"--protocol", "cas"});
        QVERIFY(sim_->started() && sim_->control("stable 1"));
        QVERIFY(sim_->control("set sern 77770001"));
        seedRecoveryFile("55550001\n");
    }
    void cleanup() { sim_.reset(); }

    void casScaleIsSwitchedOnConnectAndBackAtClose() {
        auto window = showOnPort(*sim_);
        QTRY_COMPARE_WITH_TIMEOUT(page(*window), Page::Main, 20000);
        QCOMPARE(sim_->setting("prov"), std::string("1"));
        QCOMPARE(recoveryLines(), QStringList({"55550001", "77770001\t" + sim_->link()}));
        QVERIFY(sim_->control("weight 1200"));
        QTRY_VERIFY_WITH_TIMEOUT(labelText(*window, "lbl_net_weight").contains(">1.200 <"), 5000);
        QVERIFY(shows(*window, "w_tare_weight"));

        const QByteArray report = closeAndReport(*window);
        QCOMPARE(sim_->setting("prov"), std::string("0"));
        QCOMPARE(recoveryLines(), QStringList({"55550001"}));  // the other scale's line is kept
        QVERIFY(report.contains("\"serialNumber\": \"77770001\""));
    }

    void nextRunRestoresAfterARunThatDidNotClose() {
        {
            auto crashed = showOnPort(*sim_);
            QTRY_COMPARE_WITH_TIMEOUT(page(*crashed), Page::Main, 20000);
        }  // destroyed without a close event, as after a crash
        QCOMPARE(sim_->setting("prov"), std::string("1"));
        QVERIFY(recoveryLines().contains("77770001\t" + sim_->link()));

        auto next = showOnPort(*sim_);
        QTRY_COMPARE_WITH_TIMEOUT(page(*next), Page::Main, 20000);
        closeAndReport(*next);
        QCOMPARE(sim_->setting("prov"), std::string("0"));
        QCOMPARE(recoveryLines(), QStringList({"55550001"}));
    }

    // A scale is named by serial number and port; an empty serial number names no other scale, and
    // a legacy line (a serial number alone) only its own.
    void recoveryLinesNameOneScale() {
        seedRecoveryFile("55550001\n\t/dev/ttyUSB1\n");
        const weighdesk::RecoveryFile file = weighdesk::RecoveryFile::besideLogFolder();
        ErrorCase ecase = ErrorCase::Correct;
        QVERIFY(file.contains("55550001", "/dev/ttyS0", ecase));
        QVERIFY(file.contains("", "/dev/ttyUSB1", ecase));
        QVERIFY(!file.contains("", "/dev/ttyUSB0", ecase));
        QCOMPARE(file.append("", "/dev/ttyUSB0"), ErrorCase::Correct);
        QCOMPARE(file.remove("", "/dev/ttyUSB1"), ErrorCase::Correct);
        QCOMPARE(recoveryLines(), QStringList({"55550001", "\t/dev/ttyUSB0"}));
    }

    // Two terminals noting scales at once: every line arrives.
    void concurrentChangesKeepEveryLine() {
        const weighdesk::RecoveryFile file = weighdesk::RecoveryFile::besideLogFolder();
        const auto note = [&file](const QString& prefix) {
            for (int i = 0; i < 40; ++i) file.append(prefix + QString::number(i), "/dev/ttyS0");
        };
        std::thread other(note, QStringLiteral("A"));
        note(QStringLiteral("B"));
        other.join();
        QCOMPARE(recoveryLines().size(), 81);
    }

private:
    std::unique_ptr<SimScale> sim_;
};

WINDOW_SUITE(ProtocolSwitchTest, "protocol-switch");

#include "protocol_switch_test.moc"
