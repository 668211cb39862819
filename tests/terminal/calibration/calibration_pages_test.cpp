// The calibration pages against a simulated scale, through the real facade and driver.
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
#include <memory>

#include "calibration-pages.h"
#include "close-report.h"
#include "line-worker.h"
#include "page-tree.h"
#include "support/temp-dir.h"

using Norvell::Balvex::CppWrapper::Driver;
using Norvell::Balvex::CppWrapper::ErrorCase;
using weighdesk::CalibrationPages;
using weighdesk::ConnectionParams;
using weighdesk::Page;

class CalibrationPagesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase() { pagetree::disconnect(); }
    void password();
    void zeroCalibrationTriesFiftyTimes();
    void unknownMaximumRefusesEveryWeight();
    void weightBounds_data();
    void weightBounds();
    void weightCalibrationRetriesWhileUnstable_data();
    void weightCalibrationRetriesWhileUnstable();

private:
    void showPage(Page page);
    Page page() const { return static_cast<Page>(pagetree::pages(root_.get())->currentIndex()); }
    QString labelText(const char* name) const { return root_->findChild<QLabel*>(name)->text(); }
    void typeWeight(const QString& digits);
    // Runs a calibration step and waits for its result from the line thread.
    void calibrate(void (CalibrationPages::*step)());
    bool onlyMessageIs(const QString& text, int autoCloseMs);
    std::string control(const std::string& line) { return sim_->Send(line); }

    testsupport::ScopedAppData appData_;
    std::unique_ptr<testsupport::SimProcess> sim_;
    std::unique_ptr<QWidget> root_;
    weighdesk::LineWorker line_;
    std::unique_ptr<CalibrationPages> calibration_;
    ConnectionParams scale_;
    QList<std::pair<QString, int>> messages_;
};

void CalibrationPagesTest::initTestCase() {
    sim_ = pagetree::startConnectedScale();
    QVERIFY(sim_);
    root_ = pagetree::build();
    weighdesk::CalibrationHooks hooks;
    hooks.showMessage = [this](const QString& text, int ms) { messages_.append({text, ms}); };
    hooks.showError = [](ErrorCase ecase) { QFAIL(qPrintable(QString("error %1").arg(int(ecase)))); };
    hooks.enterPage = [this](Page page) { showPage(page); };
    hooks.connectionLost = [] { QFAIL("connection lost"); };
    hooks.selectedScale = [this] { return &scale_; };
    calibration_ = std::make_unique<CalibrationPages>(root_.get(), Driver::getInstanceLib(), line_, hooks);
}

void CalibrationPagesTest::init() {
    QCOMPARE(control("stable 1"), "ok");
    QCOMPARE(control("mute"), "ok");
    messages_.clear();
}

// As the window enters a page: a fresh entry on pages 5 and 7.
void CalibrationPagesTest::showPage(Page page) {
    pagetree::pages(root_.get())->setCurrentIndex(weighdesk::indexOf(page));
    if (page == Page::Calibration) calibration_->enterPasswordPage();
    if (page == Page::CalibrationWeight) calibration_->enterWeightPage();
}

void CalibrationPagesTest::calibrate(void (CalibrationPages::*step)()) {
    (calibration_.get()->*step)();
    QVERIFY(calibration_->isBusy());
    QTRY_VERIFY_WITH_TIMEOUT(!calibration_->isBusy(), 60000);
}

// After a zero calibration on a stable scale, page 7 with the digits typed over the placeholder.
void CalibrationPagesTest::typeWeight(const QString& digits) {
    showPage(Page::CalibrationZero);
    calibrate(&CalibrationPages::calibrateZero);
    QCOMPARE(page(), Page::CalibrationWeight);
    messages_.clear();
    calibration_->pressErase();
    calibration_->pressErase();
    for (QChar digit : digits) calibration_->pressDigit(digit.digitValue());
}

bool CalibrationPagesTest::onlyMessageIs(const QString& text, int autoCloseMs) {
    const QList<std::pair<QString, int>> expected = {{text, autoCloseMs}};
    if (messages_ == expected) return true;
    qWarning() << "messages" << messages_ << "expected" << expected;
    return false;
}

void CalibrationPagesTest::password() {
    showPage(Page::Calibration);
    for (int digit : {1, 2, 3}) calibration_->pressDigit(digit);
    QCOMPARE(labelText("lbl_calibration_input"), QString("***|"));
    calibration_->checkPassword();
    QCOMPARE(labelText("lbl_calibration_input"), QString("|"));
    QVERIFY(onlyMessageIs("Неверный пароль", 1500));
    QCOMPARE(page(), Page::Calibration);
    for (int key : {Qt::Key_8, Qt::Key_5, Qt::Key_2, Qt::Key_7, Qt::Key_Enter}) QVERIFY(calibration_->handleKey(key));
    QCOMPARE(page(), Page::CalibrationZero);
    QVERIFY(!calibration_->handleKey(Qt::Key_1));
}

// "settle N": the simulator refuses the next N requests as unstable; each attempt is one request.
void CalibrationPagesTest::zeroCalibrationTriesFiftyTimes() {
    showPage(Page::CalibrationZero);
    QCOMPARE(control("settle 50"), "ok");
    calibrate(&CalibrationPages::calibrateZero);
    QVERIFY(onlyMessageIs("Калибровка нулевым весом не удалась!", 2000));
    QCOMPARE(page(), Page::CalibrationZero);
    messages_.clear();
    QCOMPARE(control("settle 49"), "ok");
    QCOMPARE(control("set max 60"), "ok");
    calibrate(&CalibrationPages::calibrateZero);
    QVERIFY(messages_.isEmpty());
    QCOMPARE(page(), Page::CalibrationWeight);
    QCOMPARE(calibration_->maxWeight(), 60);
    QCOMPARE(control("set max 015"), "ok");
}

void CalibrationPagesTest::unknownMaximumRefusesEveryWeight() {
    QCOMPARE(control("mute max"), "ok");
    showPage(Page::CalibrationZero);
    calibrate(&CalibrationPages::calibrateZero);
    QCOMPARE(page(), Page::CalibrationWeight);
    QVERIFY(onlyMessageIs("Не удалось получить максимальный вес весов!", 1500));
    messages_.clear();
    calibration_->pressDigit(3);
    calibration_->calibrateWeight();
    QVERIFY(onlyMessageIs("Нельзя калибровать весом больше максимального!", 2000));
}

void CalibrationPagesTest::weightBounds_data() {
    QTest::addColumn<QString>("weight");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<std::string>("sent");
    QTest::newRow("2 kg") << "2"
                          << "Нельзя калибровать весом меньше 3 кг!" << std::string("0000");
    QTest::newRow("3 kg") << "3"
                          << "" << std::string("0003");
    QTest::newRow("maximum") << "15"
                             << "" << std::string("0015");
    QTest::newRow("maximum + 1") << "16"
                                 << "Нельзя калибровать весом больше максимального!" << std::string("0000");
}

// The simulator keeps the value sent as "cal" and counts every calibration in "cnt".
void CalibrationPagesTest::weightBounds() {
    QFETCH(QString, weight);
    QFETCH(QString, refusal);
    QFETCH(std::string, sent);
    QCOMPARE(control("set cal 0000"), "ok");
    typeWeight(weight);
    if (refusal.isEmpty()) {
        calibrate(&CalibrationPages::calibrateWeight);
    } else {
        calibration_->calibrateWeight();  // refused before anything is sent
        QVERIFY(!calibration_->isBusy());
    }
    QCOMPARE(sim_->Setting("cal"), sent);
    if (!refusal.isEmpty()) {
        QVERIFY(onlyMessageIs(refusal, 2000));
        QCOMPARE(page(), Page::CalibrationWeight);
        return;
    }
    const QString count = QString::fromStdString(sim_->Setting("cnt"));
    QCOMPARE(page(), Page::CalibrationResult);
    QCOMPARE(labelText("lbl_calibration_result_counter"), count);
    QCOMPARE(QJsonDocument::fromJson(weighdesk::closeReport(scale_)).object().value("calCount").toInt(-1),
             count.toInt());
    QVERIFY(calibration_->handleKey(Qt::Key_Return));
    QCOMPARE(page(), Page::Menu);
}

void CalibrationPagesTest::weightCalibrationRetriesWhileUnstable_data() {
    QTest::addColumn<std::string>("unstable");
    QTest::addColumn<bool>("calibrated");
    // An attempt asks for the status ten times, ENQ and a frame each: 30 requests fail one attempt.
    QTest::newRow("settles during the second attempt") << std::string("settle 30") << true;
    QTest::newRow("never settles") << std::string("stable 0") << false;
}

void CalibrationPagesTest::weightCalibrationRetriesWhileUnstable() {
    QFETCH(std::string, unstable);
    QFETCH(bool, calibrated);
    const int countBefore = std::stoi(sim_->Setting("cnt"));
    typeWeight("5");
    QCOMPARE(control(unstable), "ok");
    calibrate(&CalibrationPages::calibrateWeight);
    QCOMPARE(page(), calibrated ? Page::CalibrationResult : Page::CalibrationWeight);
    QCOMPARE(std::stoi(sim_->Setting("cnt")), countBefore + (calibrated ? 1 : 0));
    if (!calibrated) QVERIFY(onlyMessageIs("Калибровка ненулевым весом с параметрами не удалась!", 2000));
}

QTEST_MAIN(CalibrationPagesTest)
#include "calibration_pages_test.moc"
