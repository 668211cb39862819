// A POS scale given by "--port": start-up, the live weight, overload, the keys, Escape and the report.
#include <QApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <memory>
#include <set>

#include "error-strip.h"
#include "main-window.h"
#include "window-test-support.h"

using weighdesk::MainWindow;

using weighdesk::Page;
using windowtest::click;
using windowtest::labelText;
using windowtest::page;
using windowtest::shows;
using windowtest::widget;

class WeighingTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        sim_ = windowtest::stablePosScale();
        QVERIFY(sim_);
        window_ = windowtest::showOnPort(*sim_);
    }
    void cleanup() {
        window_.reset();
        sim_.reset();
    }

    void startupShowsTheLoaderUntilTheScaleAnswers() {
        QCOMPARE(page(*window_), Page::Loader);
        QCOMPARE(labelText(*window_, "lbl_loader_header"),
                 QStringLiteral("Соединение с весами устанавливается (%1)").arg(sim_->link()));
        QVERIFY(widget(*window_, "w_header_desktop_loader") != nullptr);
        QTRY_COMPARE_WITH_TIMEOUT(page(*window_), Page::Main, 15000);
        QVERIFY(widget(*window_, "w_header_desktop_main") != nullptr);
        QCOMPARE(labelText(*window_, "lbl_serial_number"), QStringLiteral("12345678"));
        QVERIFY(shows(*window_, "pb_menu"));
        QVERIFY(shows(*window_, "w_tare_weight"));
    }

    void weightTareAndMarksFollowTheScale() {
        QTRY_COMPARE_WITH_TIMEOUT(page(*window_), Page::Main, 15000);
        QVERIFY(sim_->control("weight 1500") && sim_->control("tare 200"));
        QTRY_VERIFY_WITH_TIMEOUT(labelText(*window_, "lbl_net_weight").contains(">1.500 <"), 5000);
        QVERIFY(labelText(*window_, "lbl_net_weight").contains("кг"));
        QTRY_COMPARE_WITH_TIMEOUT(labelText(*window_, "lbl_tare_weight"), QStringLiteral("Tare: 0.200 кг"), 5000);
        QVERIFY(shows(*window_, "lbl_mark_non_zero") && !shows(*window_, "lbl_mark_zero"));
        QVERIFY(shows(*window_, "lbl_mark_stable") && !shows(*window_, "lbl_mark_unstable"));

        QVERIFY(sim_->control("stable 0"));
        QTRY_VERIFY_WITH_TIMEOUT(shows(*window_, "lbl_mark_unstable"), 5000);
        QVERIFY(!shows(*window_, "lbl_mark_stable"));
        QVERIFY(sim_->control("stable 1") && sim_->control("weight 0"));
        QTRY_VERIFY_WITH_TIMEOUT(shows(*window_, "lbl_mark_zero"), 5000);
        QVERIFY(labelText(*window_, "lbl_net_weight").contains(">0 <"));
    }

    // Overloaded, the marks and the tare line still follow the scale.
    void weightAboveTheMaximumIsAnOverload() {
        QTRY_COMPARE_WITH_TIMEOUT(page(*window_), Page::Main, 15000);
        QVERIFY(sim_->control("weight 16000"));  // the scale's maximum is 15 kg
        QTRY_VERIFY_WITH_TIMEOUT(shows(*window_, "lbl_net_weight_error"), 5000);
        QVERIFY(!shows(*window_, "lbl_net_weight"));
        QCOMPARE(window_->errorStrip().text(), QStringLiteral("Перегруз"));
        QVERIFY(sim_->control("tare 300") && sim_->control("settle 40"));
        QTRY_COMPARE_WITH_TIMEOUT(labelText(*window_, "lbl_tare_weight"), QStringLiteral("Tare: 0.300 кг"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(shows(*window_, "lbl_mark_unstable"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(shows(*window_, "lbl_mark_stable"), 5000);
        QVERIFY(shows(*window_, "lbl_net_weight_error"));
        QVERIFY(sim_->control("weight 1000"));
        QTRY_VERIFY_WITH_TIMEOUT(shows(*window_, "lbl_net_weight"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!window_->errorStrip().isShown(), 2000);
    }

    // A scale that stops answering never leaves its last weight on screen as if current; the keys
    // still work and report their own failure; the weight returns with the scale.
    void silentScaleShowsNoReading() {
        QTRY_COMPARE_WITH_TIMEOUT(page(*window_), Page::Main, 15000);
        QVERIFY(sim_->control("weight 1234"));
        QTRY_VERIFY_WITH_TIMEOUT(labelText(*window_, "lbl_net_weight").contains(">1.234 <"), 5000);
        QVERIFY(sim_->control("silent 1"));
        QTRY_VERIFY_WITH_TIMEOUT(!labelText(*window_, "lbl_net_weight").contains("1.234"), 1200);
        QVERIFY(!labelText(*window_, "lbl_net_weight").contains("кг"));
        QVERIFY(!shows(*window_, "lbl_mark_stable") && shows(*window_, "lbl_mark_unstable"));
        QVERIFY(!shows(*window_, "lbl_mark_zero") && shows(*window_, "lbl_mark_non_zero"));
        QVERIFY(!labelText(*window_, "lbl_tare_weight").contains("0"));
        QCOMPARE(window_->errorStrip().text(), QStringLiteral("Весы не отвечают"));

        QVERIFY(sim_->control("silent 0"));
        QTRY_VERIFY_WITH_TIMEOUT(labelText(*window_, "lbl_net_weight").contains(">1.234 <"), 5000);
        QVERIFY(shows(*window_, "lbl_mark_stable"));
        QVERIFY2(!window_->errorStrip().isShown(), qPrintable(window_->errorStrip().text()));

        QVERIFY(sim_->control("silent 1"));
        click(*window_, "pb_tare");
        QTRY_VERIFY_WITH_TIMEOUT(window_->errorStrip().text().startsWith("Ошибка: "), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(widget(*window_, "pb_tare")->isEnabled(), 10000);
    }

    void tareAndZeroReachTheScale() {
        QTRY_COMPARE_WITH_TIMEOUT(page(*window_), Page::Main, 15000);
        QVERIFY(sim_->control("weight 1250"));
        QTRY_VERIFY_WITH_TIMEOUT(labelText(*window_, "lbl_net_weight").contains(">1.250 <"), 5000);
        click(*window_, "pb_tare");
        QTRY_COMPARE_WITH_TIMEOUT(labelText(*window_, "lbl_tare_weight"), QStringLiteral("Tare: 1.250 кг"), 5000);
        QVERIFY(labelText(*window_, "lbl_net_weight").contains(">0 <"));
        click(*window_, "pb_zero");
        QTRY_COMPARE_WITH_TIMEOUT(labelText(*window_, "lbl_tare_weight"), QStringLiteral("Tare: 0 кг"), 5000);
        QCOMPARE(sim_->setting("sern"), std::string("12345678"));  // the scale still answers
    }

    // The tare key runs on the GUI thread while the weight thread polls: a reading must never pair
    // a status with the outputs of a tare.
    void tarePressedWhilePollingShowsOnlyRealWeights() {
        QTRY_COMPARE_WITH_TIMEOUT(page(*window_), Page::Main, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(labelText(*window_, "lbl_net_weight").contains("кг"), 5000);
        std::set<QString> seen;
        for (int round = 0; round < 15; ++round) {
            QVERIFY(sim_->control("tare 0") && sim_->control("weight 2345"));
            for (int i = 0; i < 4; ++i) {
                click(*window_, "pb_tare");
                QTest::qWait(20);
                seen.insert(labelText(*window_, "lbl_net_weight"));
            }
        }
        for (const QString& text : seen) {
            QVERIFY2(text.contains(">2.345 <") || text.contains(">0 <"), qPrintable(text));
        }
        QVERIFY(!window_->errorStrip().isShown());
    }

    void escapeAndEnterFollowThePage() {
        QTRY_COMPARE_WITH_TIMEOUT(page(*window_), Page::Main, 15000);
        click(*window_, "pb_menu");
        QCOMPARE(page(*window_), Page::Menu);
        QVERIFY(!shows(*window_, "pb_menu"));
        QTest::keyClick(window_.get(), Qt::Key_Escape);
        QCOMPARE(page(*window_), Page::Main);
        QTest::keyClick(window_.get(), Qt::Key_Escape);
        QCOMPARE(page(*window_), Page::Main);
        for (const char* button : {"pb_calibration", "pb_info"}) {
            click(*window_, "pb_menu");
            click(*window_, button);
            QTest::keyClick(window_.get(), Qt::Key_Escape);
            QCOMPARE(page(*window_), Page::Menu);
            QTest::keyClick(window_.get(), Qt::Key_Return);
            QCOMPARE(page(*window_), Page::Menu);
            click(*window_, "pb_back_to_main");
        }
        // A message that waits for its close button takes the first Escape for itself.
        click(*window_, "pb_menu");
        window_->errorStrip().showMessage("test");
        QTest::keyClick(window_.get(), Qt::Key_Escape);
        QVERIFY(!window_->errorStrip().isShown());
        QCOMPARE(page(*window_), Page::Menu);
    }

    void closeReportNamesTheScale() {
        QTRY_COMPARE_WITH_TIMEOUT(page(*window_), Page::Main, 15000);
        const QByteArray text = windowtest::closeAndReport(*window_);
        const QJsonObject report = QJsonDocument::fromJson(text).object();
        QCOMPARE(report.value("vendor").toString(), QStringLiteral("NORVELL"));
        QCOMPARE(report.value("serialNumber").toString(), QStringLiteral("12345678"));
        QCOMPARE(report.value("firmwareVersion").toString(), QStringLiteral("V1.05"));
        QVERIFY(report.value("calCount").isDouble());
        QVERIFY(!report.value("model").toString().isEmpty());
        QVERIFY2(text.startsWith("{\n    \"calCount\""), text.constData());  // indented, keys sorted
    }

    void dragMovesTheDesktopWindow() {
        QCOMPARE(window_->windowMode(), weighdesk::look::WindowMode::Desktop);
        const QPoint before = window_->pos();
        QTest::mousePress(window_.get(), Qt::LeftButton, {}, QPoint(5, 5));
        QMouseEvent move(QEvent::MouseMove, QPointF(45, 25), window_->mapToGlobal(QPointF(45, 25)), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(window_.get(), &move);
        QTest::mouseRelease(window_.get(), Qt::LeftButton, {}, QPoint(45, 25));
        QCOMPARE(window_->pos(), before + QPoint(40, 20));
    }

private:
    std::unique_ptr<windowtest::SimScale> sim_;
    std::unique_ptr<MainWindow> window_;
};

std::unique_ptr<QObject> makeWeighingTest() {
    return std::make_unique<WeighingTest>();
}

#include "weighing_test.moc"
