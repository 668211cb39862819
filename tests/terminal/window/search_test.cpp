// Searching several ports: progress, the found list, the page that follows, cancel, page_selected.
#include <QComboBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <memory>

#include "device-search.h"
#include "interface-button.h"
#include "main-window.h"
#include "window-test-support.h"

using windowtest::click;
using windowtest::labelText;
using windowtest::page;
using windowtest::shows;
using windowtest::SimScale;
using windowtest::widget;

namespace {

const QString kNoScale = QStringLiteral("/dev/null/no-scale");

std::unique_ptr<SimScale> posScale(const std::string& serial, bool pro = true) {
    auto sim = std::make_unique<SimScale>(std::vector<std::string>{"--protocol", "pos", pro ? "--pro" : "--plain"});
    if (pro) sim->control("set sern " + serial);
    return sim;
}

// A window on page_selected whose "all ports" are the given ones.
std::unique_ptr<MainWindow> selectionWindow(const QStringList& ports) {
    auto window = std::make_unique<MainWindow>("", [ports] { return ports; });
    window->show();
    return window;
}

}  // namespace

class SearchTest : public QObject {
    Q_OBJECT
private slots:
    void threePortsOneScaleLeadToTheMainPage() {
        auto scale = posScale("10000001");
        auto plain = posScale("", false);  // "POS2K": not supported, skipped
        auto window = selectionWindow({kNoScale, plain->link(), scale->link()});
        QCOMPARE(page(*window), 10);
        QSignalSpy progress(window->findChild<DeviceSearch*>(), &DeviceSearch::set_progress_value);
        click(*window, "pb_selected_autosearch");
        QCOMPARE(page(*window), 2);
        QTRY_COMPARE_WITH_TIMEOUT(page(*window), 3, 30000);
        QCOMPARE(progress.last().at(0).toInt(), 90);  // increment 3 over three ports
        QCOMPARE(widget<QProgressBar>(*window, "progress_search")->value(), 100);
        QCOMPARE(labelText(*window, "lbl_serial_number"), QStringLiteral("10000001"));
    }

    void twoScalesAreListed() {
        auto first = posScale("20000001");
        auto second = posScale("20000002");
        auto window = selectionWindow({first->link(), second->link()});
        click(*window, "pb_selected_autosearch");
        QTRY_COMPARE_WITH_TIMEOUT(page(*window), 1, 30000);
        const auto buttons = window->findChildren<weighdesk::InterfaceButton*>();
        QCOMPARE(buttons.size(), 2);
        QCOMPARE(buttons.at(1)->text(),
                 QStringLiteral("Модель: %1-15.2 (20000002) - %2").arg(buttons.at(1)->scale().model, second->link()));
        QVERIFY(shows(*window, "pb_select_device") && !shows(*window, "lbl_devices_not_found"));
        click(*window, "pb_select_device");  // nothing chosen yet
        QCOMPARE(page(*window), 1);
        buttons.at(1)->click();
        QCOMPARE(buttons.at(1)->objectName(), QStringLiteral("interface_button_selected"));
        QCOMPARE(buttons.at(0)->objectName(), QStringLiteral("interface_button"));
        click(*window, "pb_select_device");
        QTRY_COMPARE_WITH_TIMEOUT(page(*window), 3, 10000);
        QCOMPARE(labelText(*window, "lbl_serial_number"), QStringLiteral("20000002"));
    }

    void noScaleLeadsToTheSelectionPageAndReportsNone() {
        auto window = std::make_unique<MainWindow>(kNoScale.toStdString(), [] { return QStringList(); });
        QTRY_COMPARE_WITH_TIMEOUT(page(*window), 10, 15000);
        QCOMPARE(labelText(*window, "lbl_selected_status"), QStringLiteral("Весы не обнаружены"));
        windowtest::StdoutCapture out;
        window->close();
        const QJsonObject report = QJsonDocument::fromJson(out.text()).object();
        QCOMPARE(report, QJsonObject({{"error", QStringLiteral("Весы не обнаружены")}}));
    }

    void cancelWaitsForTheCheckAndShowsTheSelectionPage() {
        auto silent = posScale("30000001");
        QVERIFY(silent->control("silent 1"));
        auto window = selectionWindow({silent->link()});
        click(*window, "pb_selected_autosearch");
        QTest::qWait(300);  // inside the port check
        click(*window, "pb_search_cancel");
        QCOMPARE(page(*window), 10);
        QCOMPARE(labelText(*window, "lbl_search_progress"), QStringLiteral("Поиск весов..."));
        QVERIFY(!window->findChild<DeviceSearch*>()->isRunning());
    }

    void selectionPageStates() {
        auto scale = posScale("40000001");
        auto window = selectionWindow({scale->link()});
        QCOMPARE(widget<QComboBox>(*window, "cb_selected_port")->currentText(), scale->link());
        QVERIFY(widget(*window, "pb_selected_apply_disabled") && !shows(*window, "w_selected_data"));
        click(*window, "pb_selected_check_connected");
        QCOMPARE(labelText(*window, "lbl_selected_status_connecting"),
                 QStringLiteral("Соединение с весами устанавливается (%1)").arg(scale->link()));
        QVERIFY(widget(*window, "pb_selected_check_cancel") && widget(*window, "pb_selected_autosearch_disabled"));
        click(*window, "pb_selected_autosearch_disabled");  // refused while checking
        QCOMPARE(page(*window), 10);

        QTRY_VERIFY_WITH_TIMEOUT(widget(*window, "lbl_selected_status_ready") != nullptr, 15000);
        QCOMPARE(labelText(*window, "lbl_selected_serial_number_value"), QStringLiteral("40000001"));
        QVERIFY(labelText(*window, "lbl_selected_model_value").endsWith("-15.2"));
        QVERIFY(shows(*window, "w_selected_data"));
        click(*window, "pb_selected_apply_enabled");
        QTRY_COMPARE_WITH_TIMEOUT(page(*window), 3, 10000);
    }

    void stoppingACheckReturnsToIdle() {
        auto silent = posScale("50000001");
        QVERIFY(silent->control("silent 1"));
        auto window = selectionWindow({silent->link()});
        click(*window, "pb_selected_check_connected");
        QTest::qWait(200);
        click(*window, "pb_selected_check_cancel");
        QCOMPARE(labelText(*window, "lbl_selected_status"), QStringLiteral("Весы не обнаружены"));
        QVERIFY(widget(*window, "pb_selected_check_connected") && widget(*window, "pb_selected_apply_disabled"));
        QCOMPARE(page(*window), 10);
    }
};

std::unique_ptr<QObject> makeSearchTest() {
    return std::make_unique<SearchTest>();
}

#include "search_test.moc"
