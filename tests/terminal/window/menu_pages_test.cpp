// The menu's pages in the real window against a simulated scale: the information page, the about
// dialog, the pages that read the scale while it is silent, and calibration: the password, the zero
// and weight steps with their bounds, refusals and retries, up to the counter in the close report.
#include <QApplication>
#include <QTimer>
#include <tuple>

#include "about-dialog.h"
#include "window-test-support.h"

using namespace windowtest;

class MenuPagesTest : public WindowSuite {
    Q_OBJECT
private slots:
    void init() {
        QVERIFY(open());
        click(*window_, "pb_menu");
        QCOMPARE(page(*window_), Page::Menu);
    }

    // The scale stops answering while a page reads it: the window goes on answering, the page's keys
    // wait (greyed, a second press ignored), and the page goes on once the scale is back.
    void silentScaleLeavesTheWindowAnswering() {
        QVERIFY(sim_->control("silent 1"));
        click(*window_, "pb_info");
        QVERIFY(!widget(*window_, "pb_info")->isEnabled());
        bool served = false;
        QTimer::singleShot(50, this, [&] { served = true; });
        QTRY_VERIFY_WITH_TIMEOUT(served, 1000);
        QCOMPARE(page(*window_), Page::Menu);
        QVERIFY(sim_->control("silent 0"));
        QTRY_COMPARE_WITH_TIMEOUT(page(*window_), Page::Info, 30000);

        QTest::keyClick(window_.get(), Qt::Key_Escape);
        click(*window_, "pb_calibration");
        QTest::keyClicks(window_.get(), "8527");
        QTest::keyClick(window_.get(), Qt::Key_Return);
        QCOMPARE(page(*window_), Page::CalibrationZero);
        QVERIFY(sim_->control("silent 1"));
        click(*window_, "pb_calibration_zero");
        QVERIFY(!widget(*window_, "pb_calibration_zero")->isEnabled());
        served = false;
        QTimer::singleShot(50, this, [&] { served = true; });
        QTRY_VERIFY_WITH_TIMEOUT(served, 1000);
        QVERIFY(sim_->control("silent 0"));
        QTRY_COMPARE_WITH_TIMEOUT(page(*window_), Page::CalibrationWeight, 30000);
        QVERIFY(widget(*window_, "pb_calibration_weight")->isEnabled());
    }

    // The rows of the scale's settings: an empty odd row first, then odd and even by index, the last
    // marked; a setting that times out leaves only its own row empty.
    void informationPageReadsTheScale_data() {
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<int>("first");
        QTest::addColumn<QStringList>("values");
        QTest::newRow("all read") << QStringList{"set ver1 ZAB1", "set ver2 v1.05", "set div 3", "set ktr 2",
                                                 "set max 030"}
                                  << 0 << QStringList{"K-ZA A7-30.10", "III(средний)", "12345678", "30 кг", "10 г",
                                                      "200 г",         "37.5 кг",      "ZAb1",     "V1.05"};
        QTest::newRow("one silent") << QStringList{"set div 1", "set ktr 1", "mute ktr"} << 3
                                    << QStringList{"15 кг", "2 г", "40 г", ""};
    }
    void informationPageReadsTheScale() {
        QFETCH(QStringList, settings);
        QFETCH(int, first);
        QFETCH(QStringList, values);
        for (const QString& setting : settings) QVERIFY(sim_->control(setting.toStdString()));
        click(*window_, "pb_info");
        QTRY_COMPARE_WITH_TIMEOUT(page(*window_), Page::Info, 30000);
        const QList<QWidget*> rows =
            widget(*window_, "sawc_parameters")->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        QStringList names;
        QStringList shown;
        for (QWidget* row : rows) {
            names << row->objectName();
            shown << labelText(*row, "lbl_parameters_row_value");
        }
        QCOMPARE(shown.mid(1 + first, values.size()), values);
        QCOMPARE(shown.at(10), QString::fromStdString(sim_->setting("cnt")));
        QStringList expected = {"w_parameters_row_odd"};
        for (int i = 0; i < 10; ++i) expected << (i % 2 == 1 ? "w_parameters_row_odd" : "w_parameters_row_even");
        expected.last() += "_last";
        QCOMPARE(names, expected);
        QCOMPARE(labelText(*rows.at(4), "lbl_parameters_row_name"), QStringLiteral("Максимальная нагрузка"));
        QCOMPARE(window_->errorStrip().isShown(), values.contains(""));  // the timed-out read is reported
    }

    // The dialog is modal: it is read and closed from inside its own event loop.
    void aboutDialogShowsTheVersionAndCloses() {
        QString version;
        QTimer poll;  // runs inside the dialog's own loop until the dialog shows
        connect(&poll, &QTimer::timeout, this, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog == nullptr || qobject_cast<weighdesk::info_dialog*>(dialog) == nullptr) return;
            poll.stop();
            version = labelText(*dialog, "lbl_version");
            click(*dialog, "pb_close");
        });
        poll.start(10);
        click(*window_, "pb_about");
        QCOMPARE(version, QStringLiteral("1.0.4"));
        QCOMPARE(page(*window_), Page::Menu);
    }

    void calibrationPasswordByKeypadAndKeys() {
        click(*window_, "pb_calibration");
        for (const char* key : {"pb_password_1", "pb_password_2", "pb_password_3"}) click(*window_, key);
        QCOMPARE(labelText(*window_, "lbl_calibration_input"), QStringLiteral("***|"));
        click(*window_, "pb_calibration_begin");
        QCOMPARE(labelText(*window_, "lbl_calibration_input"), QStringLiteral("|"));
        QCOMPARE(message(), QStringLiteral("Неверный пароль"));
        QCOMPARE(page(*window_), Page::Calibration);
        click(*window_, "pb_password_1");
        QTest::keyClick(window_.get(), Qt::Key_Backspace);
        QCOMPARE(labelText(*window_, "lbl_calibration_input"), QStringLiteral("|"));
        QTest::keyClicks(window_.get(), "8527");
        QTest::keyClick(window_.get(), Qt::Key_Return);
        QCOMPARE(page(*window_), Page::CalibrationZero);
    }

    // A scale that never settles is refused; "settle N": the simulator refuses the next N requests as
    // unstable, each attempt being one request, so the step tries at least fifty times.
    void zeroCalibrationTriesFiftyTimes() {
        QVERIFY(toWeightPage());
        click(*window_, "pb_calibration_weight_cancel");
        QCOMPARE(page(*window_), Page::CalibrationZero);
        QVERIFY(sim_->control("stable 0"));
        click(*window_, "pb_calibration_zero");
        QTRY_COMPARE_WITH_TIMEOUT(message(), QStringLiteral("Калибровка нулевым весом не удалась!"), 30000);
        QCOMPARE(page(*window_), Page::CalibrationZero);
        QVERIFY(sim_->control("settle 49") && sim_->control("set max 60"));
        QTest::keyClick(window_.get(), Qt::Key_Enter);
        QTRY_COMPARE_WITH_TIMEOUT(page(*window_), Page::CalibrationWeight, 20000);
        typeWeight("60");  // the maximum read after the zero step
        click(*window_, "pb_calibration_weight");
        QTRY_COMPARE_WITH_TIMEOUT(page(*window_), Page::CalibrationResult, 20000);
        QCOMPARE(sim_->setting("cal"), std::string("0060"));
    }

    void unknownMaximumRefusesEveryWeight() {
        QVERIFY(sim_->control("mute max"));
        QVERIFY(toWeightPage());
        QCOMPARE(message(), QStringLiteral("Не удалось получить максимальный вес весов!"));
        typeWeight("3");
        click(*window_, "pb_calibration_weight");
        QCOMPARE(message(), QStringLiteral("Нельзя калибровать весом больше максимального!"));
    }

    // A weight out of bounds is refused before anything is sent; the bound itself is sent as whole
    // kilograms in four digits, and the count the scale gives reaches the page and the close report.
    void weightBounds() {
        const std::tuple<QString, QString, QString> bounds[] = {
            {"2", "Нельзя калибровать весом меньше 3 кг!", "3"},
            {"16", "Нельзя калибровать весом больше максимального!", "15"}};
        for (const auto& [refused, refusal, bound] : bounds) {
            QVERIFY(sim_->control("set cal 0000"));
            QVERIFY(toWeightPage());
            typeWeight(refused);
            click(*window_, "pb_calibration_weight");
            QCOMPARE(message(), refusal);
            QCOMPARE(sim_->setting("cal"), std::string("0000"));
            QCOMPARE(page(*window_), Page::CalibrationWeight);
            typeWeight(bound);
            click(*window_, "pb_calibration_weight");
            QTRY_COMPARE_WITH_TIMEOUT(page(*window_), Page::CalibrationResult, 20000);
            QCOMPARE(sim_->setting("cal"), bound.rightJustified(4, '0').toStdString());
            QCOMPARE(labelText(*window_, "lbl_calibration_result_counter"),
                     QString::fromStdString(sim_->setting("cnt")));
            QTest::keyClick(window_.get(), Qt::Key_Return);
            QCOMPARE(page(*window_), Page::Menu);
        }
        const QJsonObject report = QJsonDocument::fromJson(closeAndReport(*window_)).object();
        QCOMPARE(report.value("calCount").toInt(-1), std::stoi(sim_->setting("cnt")));
    }

    void weightRetriesWhileUnstable_data() {
        QTest::addColumn<QString>("unstable");
        QTest::addColumn<bool>("calibrated");
        // An attempt asks for the status ten times, ENQ and a frame each: 30 requests fail one attempt.
        QTest::newRow("settles during the second attempt") << "settle 30" << true;
        QTest::newRow("never settles") << "stable 0" << false;
    }
    void weightRetriesWhileUnstable() {
        QFETCH(QString, unstable);
        QFETCH(bool, calibrated);
        const int countBefore = std::stoi(sim_->setting("cnt"));
        QVERIFY(toWeightPage());
        typeWeight("5");
        QVERIFY(sim_->control(unstable.toStdString()));
        click(*window_, "pb_calibration_weight");
        const Page after = calibrated ? Page::CalibrationResult : Page::CalibrationWeight;
        QTRY_VERIFY_WITH_TIMEOUT(widget(*window_, "pb_calibration_weight")->isEnabled() && page(*window_) == after,
                                 30000);
        QCOMPARE(std::stoi(sim_->setting("cnt")), countBefore + (calibrated ? 1 : 0));
        if (!calibrated) QCOMPARE(message(), QStringLiteral("Калибровка ненулевым весом с параметрами не удалась!"));
    }

private:
    QString message() { return window_->errorStrip().isShown() ? window_->errorStrip().text() : QString(); }
    // True on the weight page after the password and a zero step; a case goes no further otherwise.
    bool toWeightPage() {
        click(*window_, "pb_calibration");
        QTest::keyClicks(window_.get(), "8527");
        click(*window_, "pb_calibration_begin");
        click(*window_, "pb_calibration_zero");
        return QTest::qWaitFor([this] { return page(*window_) == Page::CalibrationWeight; }, 10000);
    }
    // Erased down to the placeholder first, which further erasing leaves as it is.
    void typeWeight(const QString& digits) {
        for (int i = 0; i < 3; ++i) click(*window_, "pb_weight_erase");
        for (QChar digit : digits) click(*window_, QStringLiteral("pb_weight_%1").arg(digit));
    }
};

WINDOW_SUITE(MenuPagesTest, "menu-pages");

#include "menu_pages_test.moc"
