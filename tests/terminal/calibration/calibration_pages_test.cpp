// The calibration pages against a simulated scale, through the real facade and driver.
#include <QtTest>
#include <memory>

#include "calibration-pages.h"
#include "page-tree.h"
#include "permanent.h"
#include "support/temp-dir.h"

using Norvell::Balvex::CppWrapper::Driver;
using Norvell::Balvex::CppWrapper::ErrorCase;
using weighdesk::CalibrationPages;

namespace {
struct Message {
    QString text;
    int autoCloseMs = 0;
};
}  // namespace

class CalibrationPagesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void wrongPasswordClearsTheEntry();
    void rightPasswordByKeyboardLeadsToZeroLoad();
    void keypadKeysActOnlyOnTheShownEntry();
    void zeroCalibrationGivesUpAfterFiftyRefusals();
    void zeroCalibrationSucceedsOnTheLastAttempt();
    void unknownMaximumRefusesEveryWeight();
    void weightBounds_data();
    void weightBounds();
    void weightCalibrationWaitsForAStableScale();
    void weightCalibrationGivesUpOnAnUnstableScale();

private:
    void showPage(int page);
    void typeWeight(const QString& digits);
    void calibrateZeroOnStableScale();
    bool nextMessageIs(const QString& text, int autoCloseMs);

    testsupport::ScopedAppData appData_;
    std::unique_ptr<testsupport::SimProcess> sim_;
    std::unique_ptr<QWidget> root_;
    std::unique_ptr<CalibrationPages> calibration_;
    ConnectionParams scale_;
    QList<Message> messages_;
    QList<ErrorCase> errors_;
    int lostConnections_ = 0;
};

void CalibrationPagesTest::initTestCase() {
    sim_ = pagetree::startConnectedScale();
    QVERIFY(sim_);
    root_ = pagetree::build();
    weighdesk::CalibrationHooks hooks;
    hooks.showMessage = [this](const QString& text, int ms) { messages_.append({text, ms}); };
    hooks.showError = [this](ErrorCase ecase) { errors_.append(ecase); };
    hooks.enterPage = [this](int page) { showPage(page); };
    hooks.connectionLost = [this] { ++lostConnections_; };
    hooks.selectedScale = [this] { return &scale_; };
    calibration_ = std::make_unique<CalibrationPages>(root_.get(), Driver::getInstanceLib(), hooks);
}

void CalibrationPagesTest::init() {
    QCOMPARE(sim_->Send("stable 1"), std::string("ok"));
    QCOMPARE(sim_->Send("mute"), std::string("ok"));
    messages_.clear();
    errors_.clear();
    lostConnections_ = 0;
}

void CalibrationPagesTest::cleanupTestCase() {
    pagetree::disconnect();
}

// As the window enters a page: a fresh entry on pages 5 and 7.
void CalibrationPagesTest::showPage(int page) {
    pagetree::pages(root_.get())->setCurrentIndex(page);
    if (page == CalibrationPages::kPasswordPage) calibration_->enterPasswordPage();
    if (page == CalibrationPages::kWeightPage) calibration_->enterWeightPage();
}

void CalibrationPagesTest::typeWeight(const QString& digits) {
    showPage(CalibrationPages::kWeightPage);
    calibration_->pressErase();
    calibration_->pressErase();
    for (QChar digit : digits) calibration_->pressDigit(digit.digitValue());
}

void CalibrationPagesTest::calibrateZeroOnStableScale() {
    showPage(CalibrationPages::kZeroPage);
    calibration_->calibrateZero();
    QCOMPARE(pagetree::pages(root_.get())->currentIndex(), CalibrationPages::kWeightPage);
    messages_.clear();
}

bool CalibrationPagesTest::nextMessageIs(const QString& text, int autoCloseMs) {
    if (messages_.isEmpty()) {
        qWarning() << "no message, expected" << text;
        return false;
    }
    const Message message = messages_.takeFirst();
    if (message.text == text && message.autoCloseMs == autoCloseMs) return true;
    qWarning() << "message" << message.text << message.autoCloseMs << "expected" << text << autoCloseMs;
    return false;
}

namespace {
QLabel* label(QWidget* root, const char* name) {
    return root->findChild<QLabel*>(name);
}
}  // namespace

void CalibrationPagesTest::wrongPasswordClearsTheEntry() {
    showPage(CalibrationPages::kPasswordPage);
    for (int digit : {1, 2, 3}) calibration_->pressDigit(digit);
    QCOMPARE(label(root_.get(), "lbl_calibration_input")->text(), QString("***|"));
    calibration_->checkPassword();
    QCOMPARE(label(root_.get(), "lbl_calibration_input")->text(), QString("|"));
    QVERIFY(nextMessageIs("Неверный пароль", 1500));
    QCOMPARE(pagetree::pages(root_.get())->currentIndex(), CalibrationPages::kPasswordPage);
}

void CalibrationPagesTest::rightPasswordByKeyboardLeadsToZeroLoad() {
    showPage(CalibrationPages::kPasswordPage);
    for (int key : {Qt::Key_8, Qt::Key_5, Qt::Key_2, Qt::Key_7}) QVERIFY(calibration_->handleKey(key));
    QVERIFY(calibration_->handleKey(Qt::Key_Enter));
    QCOMPARE(pagetree::pages(root_.get())->currentIndex(), CalibrationPages::kZeroPage);
    QVERIFY(messages_.isEmpty());
}

void CalibrationPagesTest::keypadKeysActOnlyOnTheShownEntry() {
    showPage(CalibrationPages::kWeightPage);
    showPage(CalibrationPages::kPasswordPage);
    calibration_->pressDoubleZero();
    QCOMPARE(label(root_.get(), "lbl_calibration_input")->text(), QString("**|"));
    QCOMPARE(label(root_.get(), "lbl_calibration_weight_input")->text(), QString("15| кг"));
    showPage(CalibrationPages::kMenuPage);
    calibration_->pressDigit(4);
    QVERIFY(!calibration_->handleKey(Qt::Key_Backspace));
    QCOMPARE(label(root_.get(), "lbl_calibration_input")->text(), QString("**|"));
}

// The simulator refuses zero calibration while unstable; "settle N" keeps it so for N requests.
void CalibrationPagesTest::zeroCalibrationGivesUpAfterFiftyRefusals() {
    QCOMPARE(sim_->Send("settle 50"), std::string("ok"));
    showPage(CalibrationPages::kZeroPage);
    calibration_->calibrateZero();
    QVERIFY(nextMessageIs("Калибровка нулевым весом не удалась!", 2000));
    QCOMPARE(pagetree::pages(root_.get())->currentIndex(), CalibrationPages::kZeroPage);
    QVERIFY(sim_->Send("status").find("stable=1") != std::string::npos);
}

void CalibrationPagesTest::zeroCalibrationSucceedsOnTheLastAttempt() {
    QCOMPARE(sim_->Send("settle 49"), std::string("ok"));
    QCOMPARE(sim_->Send("set max 60"), std::string("ok"));
    showPage(CalibrationPages::kZeroPage);
    calibration_->calibrateZero();
    QVERIFY(messages_.isEmpty());
    QCOMPARE(pagetree::pages(root_.get())->currentIndex(), CalibrationPages::kWeightPage);
    QCOMPARE(calibration_->maxWeight(), 60);
    QCOMPARE(sim_->Send("set max 015"), std::string("ok"));
}

void CalibrationPagesTest::unknownMaximumRefusesEveryWeight() {
    QCOMPARE(sim_->Send("mute max"), std::string("ok"));
    showPage(CalibrationPages::kZeroPage);
    calibration_->calibrateZero();
    QCOMPARE(pagetree::pages(root_.get())->currentIndex(), CalibrationPages::kWeightPage);
    QCOMPARE(calibration_->maxWeight(), -1);
    QVERIFY(nextMessageIs("Не удалось получить максимальный вес весов!", 1500));
    typeWeight("3");
    calibration_->calibrateWeight();
    QVERIFY(nextMessageIs("Нельзя калибровать весом больше максимального!", 2000));
}

void CalibrationPagesTest::weightBounds_data() {
    QTest::addColumn<QString>("weight");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("sentValue");
    QTest::newRow("2 kg") << "2"
                          << "Нельзя калибровать весом меньше 3 кг!"
                          << "";
    QTest::newRow("3 kg") << "3"
                          << ""
                          << "0003";
    QTest::newRow("maximum") << "15"
                             << ""
                             << "0015";
    QTest::newRow("maximum + 1") << "16"
                                 << "Нельзя калибровать весом больше максимального!"
                                 << "";
}

// The simulator keeps the weight sent as "cal" and counts every calibration in "cnt".
void CalibrationPagesTest::weightBounds() {
    QFETCH(QString, weight);
    QFETCH(QString, refusal);
    QFETCH(QString, sentValue);
    calibrateZeroOnStableScale();
    QCOMPARE(sim_->Send("set cal 0000"), std::string("ok"));
    typeWeight(weight);
    calibration_->calibrateWeight();
    const QString sent = QString::fromStdString(sim_->Setting("cal"));
    if (!refusal.isEmpty()) {
        QVERIFY(nextMessageIs(refusal, 2000));
        QCOMPARE(sent, QString("0000"));
        QCOMPARE(pagetree::pages(root_.get())->currentIndex(), CalibrationPages::kWeightPage);
        return;
    }
    QVERIFY(messages_.isEmpty());
    QCOMPARE(sent, sentValue);
    const QString count = QString::fromStdString(sim_->Setting("cnt"));
    QCOMPARE(pagetree::pages(root_.get())->currentIndex(), CalibrationPages::kResultPage);
    QCOMPARE(label(root_.get(), "lbl_calibration_result_counter")->text(), count);
    QCOMPARE(scale_.calibrationCount, count.toInt());
    QVERIFY(calibration_->handleKey(Qt::Key_Return));
    QCOMPARE(pagetree::pages(root_.get())->currentIndex(), CalibrationPages::kMenuPage);
}

// Each attempt of the driver asks for the status ten times (ENQ and a frame each): settling
// after 30 requests fails the first attempt and passes the second.
void CalibrationPagesTest::weightCalibrationWaitsForAStableScale() {
    calibrateZeroOnStableScale();
    const int countBefore = std::stoi(sim_->Setting("cnt"));
    typeWeight("5");
    QCOMPARE(sim_->Send("settle 30"), std::string("ok"));
    calibration_->calibrateWeight();
    QVERIFY(messages_.isEmpty());
    QCOMPARE(pagetree::pages(root_.get())->currentIndex(), CalibrationPages::kResultPage);
    QCOMPARE(scale_.calibrationCount, countBefore + 1);
    QCOMPARE(sim_->Setting("cal"), std::string("0005"));
}

void CalibrationPagesTest::weightCalibrationGivesUpOnAnUnstableScale() {
    calibrateZeroOnStableScale();
    typeWeight("5");
    QCOMPARE(sim_->Send("stable 0"), std::string("ok"));
    calibration_->calibrateWeight();
    QVERIFY(nextMessageIs("Калибровка ненулевым весом с параметрами не удалась!", 2000));
    QCOMPARE(pagetree::pages(root_.get())->currentIndex(), CalibrationPages::kWeightPage);
    QCOMPARE(lostConnections_, 0);
}

QTEST_MAIN(CalibrationPagesTest)
#include "calibration_pages_test.moc"
