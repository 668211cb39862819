// Searching several ports: progress, the found list, the page that follows, cancel, page_selected.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <algorithm>
#include <set>

#include "device-search.h"
#include "interface-button.h"
#include "window-test-support.h"

using weighdesk::DeviceSearch;
using namespace windowtest;

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
    // Twelve ports (ten without a scale, one whose protocol is not supported): the bar moves with
    // every port and the one scale is connected.
    void manyPortsOneScaleLeadToTheMainPage() {
        auto scale = posScale("10000001");
        auto plain = posScale("", false);  // "POS2K": not supported, skipped
        QStringList ports;
        for (int i = 0; i < 10; ++i) ports << kNoScale + QString::number(i);
        auto window = selectionWindow(ports << plain->link() << scale->link());
        QCOMPARE(page(*window), Page::Selected);
        QSignalSpy progress(window->findChild<DeviceSearch*>(), &DeviceSearch::set_progress_value);
        click(*window, "pb_selected_autosearch");
        QCOMPARE(page(*window), Page::Search);
        QTRY_COMPARE_WITH_TIMEOUT(page(*window), Page::Main, 30000);
        QList<int> values;
        for (const QList<QVariant>& signal : progress) values << signal.at(0).toInt();
        QVERIFY(std::is_sorted(values.begin(), values.end()));
        QVERIFY(std::set<int>(values.begin(), values.end()).size() >= 12);
        QCOMPARE(values.last(), 90);
        QCOMPARE(widget<QProgressBar>(*window, "progress_search")->value(), 100);
        QCOMPARE(labelText(*window, "lbl_serial_number"), QStringLiteral("10000001"));
    }

    void twoScalesAreListed() {
        auto first = posScale("20000001");
        auto second = posScale("20000002");
        auto window = selectionWindow({first->link(), second->link()});
        click(*window, "pb_selected_autosearch");
        QTRY_COMPARE_WITH_TIMEOUT(page(*window), Page::Devices, 30000);
        const auto buttons = window->findChildren<weighdesk::InterfaceButton*>();
        QCOMPARE(buttons.size(), 2);
        QCOMPARE(buttons.at(1)->text(),
                 QStringLiteral("Модель: %1-15.2 (20000002) - %2").arg(buttons.at(1)->scale().model, second->link()));
        QVERIFY(shows(*window, "pb_select_device") && !shows(*window, "lbl_devices_not_found"));
        click(*window, "pb_select_device");  // nothing chosen yet
        QCOMPARE(page(*window), Page::Devices);

        // A scale that fails to connect is neither chosen on screen nor in the close report.
        QVERIFY(first->control("silent 1"));
        buttons.at(0)->click();
        click(*window, "pb_select_device");
        QTRY_VERIFY_WITH_TIMEOUT(window->errorStrip().isShown(), 15000);
        QCOMPARE(page(*window), Page::Devices);
        QVERIFY(!window->selectedScale().has_value());
        QCOMPARE(buttons.at(0)->objectName(), QStringLiteral("interface_button"));
        QVERIFY(widget(*window, "page_devices")->isEnabled());

        buttons.at(1)->click();
        QCOMPARE(buttons.at(1)->objectName(), QStringLiteral("interface_button_selected"));
        QCOMPARE(buttons.at(0)->objectName(), QStringLiteral("interface_button"));
        click(*window, "pb_select_device");
        QTRY_COMPARE_WITH_TIMEOUT(page(*window), Page::Main, 10000);
        QCOMPARE(labelText(*window, "lbl_serial_number"), QStringLiteral("20000002"));
    }

    // The port given on the command line has no scale, or another program holds it: the selection
    // page and the close report say which.
    void portWithoutScaleLeadsToTheSelectionPage_data() {
        QTest::addColumn<bool>("held");
        QTest::newRow("no scale") << false;
        QTest::newRow("held by another program") << true;
    }
    void portWithoutScaleLeadsToTheSelectionPage() {
        QFETCH(bool, held);
        auto sim = posScale("60000001");
        const QString port = held ? sim->link() : kNoScale;
        const int holder = held ? ::open(qPrintable(port), O_RDWR | O_NOCTTY | O_CLOEXEC) : -1;
        QVERIFY(!held || ::flock(holder, LOCK_EX | LOCK_NB) == 0);
        auto window = std::make_unique<MainWindow>(port.toStdString(), [] { return QStringList(); });
        QTRY_COMPARE_WITH_TIMEOUT(page(*window), Page::Selected, 15000);
        const QString expected =
            held ? QStringLiteral("Порт %1 занят другой программой").arg(port) : QStringLiteral("Весы не обнаружены");
        QCOMPARE(labelText(*window, "lbl_selected_status"), expected);
        const QJsonObject report = QJsonDocument::fromJson(closeAndReport(*window)).object();
        if (holder >= 0) ::close(holder);
        QCOMPARE(report, QJsonObject({{"error", expected}}));
    }

    // A silent scale: the search cancelled inside its check, then a check of the port stopped.
    void cancelledSearchAndStoppedCheckReturnToTheSelectionPage() {
        auto silent = posScale("30000001");
        QVERIFY(silent->control("silent 1"));
        auto window = selectionWindow({silent->link()});
        QSignalSpy progress(window->findChild<DeviceSearch*>(), &DeviceSearch::set_progress_value);
        click(*window, "pb_selected_autosearch");
        QVERIFY(progress.wait(10000));  // inside the port check
        click(*window, "pb_search_cancel");
        QCOMPARE(page(*window), Page::Selected);
        QCOMPARE(labelText(*window, "lbl_search_progress"), QStringLiteral("Поиск весов..."));
        QVERIFY(!window->findChild<DeviceSearch*>()->isRunning());
        click(*window, "pb_selected_check_connected");
        click(*window, "pb_selected_check_cancel");
        QCOMPARE(labelText(*window, "lbl_selected_status"), QStringLiteral("Весы не обнаружены"));
        QVERIFY(widget(*window, "pb_selected_check_connected") && widget(*window, "pb_selected_apply_disabled"));
        QCOMPARE(page(*window), Page::Selected);
    }

    // A scale whose model code has no digits is checked, connected and weighed like any other.
    void selectionPageStates() {
        auto scale = posScale("40000001");
        QVERIFY(scale->control("set mode AB") && scale->control("stable 1") && scale->control("weight 2500"));
        auto window = selectionWindow({scale->link()});
        QCOMPARE(widget<QComboBox>(*window, "cb_selected_port")->currentText(), scale->link());
        QVERIFY(widget(*window, "pb_selected_apply_disabled") && !shows(*window, "w_selected_data"));
        click(*window, "pb_selected_check_connected");
        QCOMPARE(labelText(*window, "lbl_selected_status_connecting"),
                 QStringLiteral("Соединение с весами устанавливается (%1)").arg(scale->link()));
        QVERIFY(widget(*window, "pb_selected_check_cancel") && widget(*window, "pb_selected_autosearch_disabled"));
        click(*window, "pb_selected_autosearch_disabled");  // refused while checking
        QCOMPARE(page(*window), Page::Selected);

        QTRY_VERIFY_WITH_TIMEOUT(widget(*window, "lbl_selected_status_ready") != nullptr, 15000);
        QCOMPARE(labelText(*window, "lbl_selected_serial_number_value"), QStringLiteral("40000001"));
        QCOMPARE(labelText(*window, "lbl_selected_model_value"), QStringLiteral("K-ZA AB-15.2"));
        QVERIFY(shows(*window, "w_selected_data"));
        click(*window, "pb_selected_apply_enabled");
        QTRY_COMPARE_WITH_TIMEOUT(page(*window), Page::Main, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(labelText(*window, "lbl_net_weight").contains(">2.500 <"), 5000);
        QVERIFY(!window->errorStrip().isShown());
    }
};

WINDOW_SUITE(SearchTest, "search");

#include "search_test.moc"
