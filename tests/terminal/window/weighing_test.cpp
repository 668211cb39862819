// A POS scale given by "--port": start-up, the live weight, overload, the keys, Escape, the report,
// and the line dropping under the weighing page: reconnected when the scale comes back on its link.
#include <QApplication>
#include <QMouseEvent>
#include <set>

#include "window-test-support.h"

using namespace windowtest;

class WeighingTest : public WindowSuite {
    Q_OBJECT
private slots:
    // Every case but the first starts on the weighing page.
    void init() { QVERIFY(open(!QByteArray(QTest::currentTestFunction()).startsWith("startup"))); }

    void startupShowsTheLoaderUntilTheScaleAnswersAndCloseReportsIt() {
        QCOMPARE(page(*window_), Page::Loader);
        QCOMPARE(labelText(*window_, "lbl_loader_header"),
                 QStringLiteral("Соединение с весами устанавливается (%1)").arg(sim_->link()));
        QVERIFY(widget(*window_, "w_header_desktop_loader") != nullptr);
        QTRY_COMPARE_WITH_TIMEOUT(page(*window_), Page::Main, 15000);
        QVERIFY(widget(*window_, "w_header_desktop_main") != nullptr);
        QCOMPARE(labelText(*window_, "lbl_serial_number"), QStringLiteral("12345678"));
        QVERIFY(shows(*window_, "pb_menu") && shows(*window_, "w_tare_weight"));
        const QByteArray text = closeAndReport(*window_);
        const QJsonObject report = QJsonDocument::fromJson(text).object();
        QCOMPARE(report.value("vendor").toString(), QStringLiteral("NORVELL"));
        QCOMPARE(report.value("serialNumber").toString(), QStringLiteral("12345678"));
        QCOMPARE(report.value("firmwareVersion").toString(), QStringLiteral("V1.05"));
        QVERIFY(report.value("calCount").isDouble() && !report.value("model").toString().isEmpty());
        QVERIFY2(text.startsWith("{\n    \"calCount\""), text.constData());  // indented, keys sorted
    }

    void weightTareMarksAndKeysFollowTheScale() {
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

        QVERIFY(sim_->control("tare 0") && sim_->control("weight 1250"));
        QTRY_VERIFY_WITH_TIMEOUT(labelText(*window_, "lbl_net_weight").contains(">1.250 <"), 5000);
        click(*window_, "pb_tare");
        QTRY_COMPARE_WITH_TIMEOUT(labelText(*window_, "lbl_tare_weight"), QStringLiteral("Tare: 1.250 кг"), 5000);
        QVERIFY(labelText(*window_, "lbl_net_weight").contains(">0 <"));
        click(*window_, "pb_zero");
        QTRY_COMPARE_WITH_TIMEOUT(labelText(*window_, "lbl_tare_weight"), QStringLiteral("Tare: 0 кг"), 5000);
    }

    // Overloaded, the marks and the tare line still follow the scale.
    void weightAboveTheMaximumIsAnOverload() {
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

    // The tare key runs on the GUI thread while the weight thread polls: a reading must never pair
    // a status with the outputs of a tare.
    void tarePressedWhilePollingShowsOnlyRealWeights() {
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
        for (const QString& text : seen) QVERIFY2(text.contains(">2.345 <") || text.contains(">0 <"), qPrintable(text));
        QVERIFY(!window_->errorStrip().isShown());
    }

    void escapeAndEnterFollowThePage() {
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

    // While the window waits to reconnect, the last weight is not shown as current and the page's
    // keys wait too.
    void scaleBackOnItsLinkIsReconnected() {
        QVERIFY(sim_->control("weight 500"));
        QTRY_VERIFY_WITH_TIMEOUT(labelText(*window_, "lbl_net_weight").contains(">0.500 <"), 5000);
        QVERIFY(sim_->control("drop"));
        QTRY_COMPARE_WITH_TIMEOUT(window_->errorStrip().text(),
                                  QStringLiteral("Потеряно соединение. Попытка восстановить"), 5000);
        QVERIFY(!labelText(*window_, "lbl_net_weight").contains("0.500"));
        QVERIFY(!shows(*window_, "lbl_mark_stable"));
        QVERIFY(!widget(*window_, "pb_tare")->isEnabled());
        QVERIFY(sim_->control("weight 777"));
        // The 5 s pause, then the connect; polling starts again on the same page.
        QTRY_VERIFY_WITH_TIMEOUT(labelText(*window_, "lbl_net_weight").contains(">0.777 <"), 15000);
        QCOMPARE(page(*window_), Page::Main);
        QVERIFY(window_->isVisible() && widget(*window_, "pb_tare")->isEnabled());
    }

    // The line drops and the scale does not come back on its link.
    void scaleGoneClosesTheWindow() {
        StdoutCapture out;
        QVERIFY(sim_->control("drop"));
        sim_->quit();
        QTRY_COMPARE_WITH_TIMEOUT(window_->errorStrip().text(),
                                  QStringLiteral("Потеряно соединение. Приложение закрывается"), 15000);
        QVERIFY(window_->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!window_->isVisible(), 8000);
        const QJsonObject report = QJsonDocument::fromJson(out.text()).object();
        QCOMPARE(report.value("serialNumber").toString(), QStringLiteral("12345678"));
    }
};

WINDOW_SUITE(WeighingTest, "weighing");

#include "weighing_test.moc"
