// The line drops under the weighing page: the window reconnects when the scale comes back on its
// link, and closes with a notice when it does not.
#include <QJsonDocument>
#include <QJsonObject>
#include <QStackedWidget>
#include <QTest>
#include <memory>

#include "error-strip.h"
#include "main-window.h"
#include "window-test-support.h"

using weighdesk::MainWindow;

using weighdesk::Page;
using windowtest::click;
using windowtest::labelText;
using windowtest::page;
using windowtest::widget;

class LostConnectionTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        sim_ = windowtest::stablePosScale();
        QVERIFY(sim_ && sim_->control("weight 500"));
        window_ = windowtest::showOnPort(*sim_);
        QTRY_COMPARE_WITH_TIMEOUT(page(*window_), Page::Main, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(labelText(*window_, "lbl_net_weight").contains(">0.500 <"), 5000);
    }
    void cleanup() {
        window_.reset();
        sim_.reset();
    }

    // While the window waits to reconnect, the last weight is not shown as current and the page's
    // keys wait too.
    void scaleBackOnItsLinkIsReconnected() {
        QVERIFY(sim_->control("drop"));
        QTRY_COMPARE_WITH_TIMEOUT(window_->errorStrip().text(),
                                  QStringLiteral("Потеряно соединение. Попытка восстановить"), 5000);
        QVERIFY(!labelText(*window_, "lbl_net_weight").contains("0.500"));
        QVERIFY(!windowtest::shows(*window_, "lbl_mark_stable"));
        QVERIFY(!widget(*window_, "pb_tare")->isEnabled());
        QVERIFY(sim_->control("weight 777"));
        // The 5 s pause, then the connect; polling starts again on the same page.
        QTRY_VERIFY_WITH_TIMEOUT(labelText(*window_, "lbl_net_weight").contains(">0.777 <"), 15000);
        QCOMPARE(page(*window_), Page::Main);
        QVERIFY(window_->isVisible() && widget(*window_, "pb_tare")->isEnabled());
    }

    void scaleGoneClosesTheWindow() {
        windowtest::StdoutCapture out;
        QVERIFY(sim_->control("drop"));
        sim_->quit();
        QTRY_COMPARE_WITH_TIMEOUT(window_->errorStrip().text(),
                                  QStringLiteral("Потеряно соединение. Приложение закрывается"), 15000);
        QVERIFY(window_->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!window_->isVisible(), 8000);
        const QJsonObject report = QJsonDocument::fromJson(out.text()).object();
        QCOMPARE(report.value("serialNumber").toString(), QStringLiteral("12345678"));
    }

private:
    std::unique_ptr<windowtest::SimScale> sim_;
    std::unique_ptr<MainWindow> window_;
};

std::unique_ptr<QObject> makeLostConnectionTest() {
    return std::make_unique<LostConnectionTest>();
}

#include "lost_connection_test.moc"
