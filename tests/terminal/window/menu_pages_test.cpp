// The menu's pages in the real window: calibration by keypad and keyboard up to the close report,
// the information page and the about dialog.
#include <QApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

#include "main-window.h"
#include "window-test-support.h"

using weighdesk::MainWindow;

using weighdesk::Page;
using windowtest::click;
using windowtest::labelText;
using windowtest::page;
using windowtest::widget;

class MenuPagesTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        sim_ = windowtest::stablePosScale();
        QVERIFY(sim_);
        window_ = windowtest::showOnPort(*sim_);
        QTRY_COMPARE_WITH_TIMEOUT(page(*window_), Page::Main, 15000);
        click(*window_, "pb_menu");
        QCOMPARE(page(*window_), Page::Menu);
    }
    void cleanup() {
        window_.reset();
        sim_.reset();
    }

    void calibrationByKeypadAndKeysReachesTheCloseReport() {
        click(*window_, "pb_calibration");
        QCOMPARE(page(*window_), Page::Calibration);
        click(*window_, "pb_password_1");
        QCOMPARE(labelText(*window_, "lbl_calibration_input"), QStringLiteral("*|"));
        QTest::keyClick(window_.get(), Qt::Key_Backspace);
        QCOMPARE(labelText(*window_, "lbl_calibration_input"), QStringLiteral("|"));
        QTest::keyClicks(window_.get(), "8527");
        QTest::keyClick(window_.get(), Qt::Key_Return);
        QCOMPARE(page(*window_), Page::CalibrationZero);

        QTest::keyClick(window_.get(), Qt::Key_Enter);
        QTRY_COMPARE_WITH_TIMEOUT(page(*window_), Page::CalibrationWeight, 20000);
        click(*window_, "pb_weight_erase");
        click(*window_, "pb_weight_erase");
        click(*window_, "pb_weight_5");
        QVERIFY(labelText(*window_, "lbl_calibration_weight_input").startsWith("5"));
        click(*window_, "pb_calibration_weight");
        QTRY_COMPARE_WITH_TIMEOUT(page(*window_), Page::CalibrationResult, 20000);
        const QString count = QString::fromStdString(sim_->setting("cnt"));
        QCOMPARE(labelText(*window_, "lbl_calibration_result_counter"), count);
        QTest::keyClick(window_.get(), Qt::Key_Return);
        QCOMPARE(page(*window_), Page::Menu);

        const QJsonObject report = QJsonDocument::fromJson(windowtest::closeAndReport(*window_)).object();
        QCOMPARE(report.value("calCount").toInt(-1), count.toInt());
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

    void informationPageReadsTheScale() {
        click(*window_, "pb_info");
        QTRY_COMPARE_WITH_TIMEOUT(page(*window_), Page::Info, 10000);
        QStringList values;
        for (const QLabel* label : window_->findChildren<QLabel*>("lbl_parameters_row_value")) values << label->text();
        QVERIFY2(values.contains("12345678"), qPrintable(values.join(", ")));
        QTest::keyClick(window_.get(), Qt::Key_Escape);
        QCOMPARE(page(*window_), Page::Menu);
    }

    // The dialog is modal: it is read and closed from inside its own event loop.
    void aboutDialogShowsTheVersionAndCloses() {
        QString title;
        QString version;
        QTimer::singleShot(300, this, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog == nullptr) return;
            title = QString::fromLatin1(dialog->metaObject()->className());
            version = labelText(*dialog, "lbl_version");
            if (auto* close = dialog->findChild<QPushButton*>("pb_close")) close->click();
        });
        click(*window_, "pb_about");
        QCOMPARE(title, QStringLiteral("weighdesk::info_dialog"));
        QCOMPARE(version, QStringLiteral("1.0.4"));
        QCOMPARE(page(*window_), Page::Menu);
    }

private:
    std::unique_ptr<windowtest::SimScale> sim_;
    std::unique_ptr<MainWindow> window_;
};

std::unique_ptr<QObject> makeMenuPagesTest() {
    return std::make_unique<MenuPagesTest>();
}

#include "menu_pages_test.moc"
