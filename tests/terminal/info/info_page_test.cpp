// The information page against a simulated scale through the real facade and driver, and the
// value rules of its rows.
#include <QtTest>
#include <memory>

#include "info-page.h"
#include "line-worker.h"
#include "page-tree.h"
#include "support/temp-dir.h"

using Norvell::Balvex::CppWrapper::Driver;
using Norvell::Balvex::CppWrapper::ErrorCase;
using weighdesk::ParameterRow;

Q_DECLARE_METATYPE(weighdesk::ScaleReadings)

class InfoPageTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase() { pagetree::disconnect(); }
    void rowsOfTheSimulatedScale();
    void oneFailingCommandLeavesOnlyItsRowEmpty();
    void lostLineAbortsThePage();
    void valueRules_data();
    void valueRules();

private:
    QStringList values() const;
    // Reads the table on the line thread; true when the rows were filled.
    bool load();

    testsupport::ScopedAppData appData_;
    std::unique_ptr<testsupport::SimProcess> sim_;
    std::unique_ptr<QWidget> root_;
    weighdesk::LineWorker line_;
    std::unique_ptr<weighdesk::InfoPage> page_;
    QList<ErrorCase> errors_;
};

void InfoPageTest::initTestCase() {
    sim_ = pagetree::startConnectedScale();
    QVERIFY(sim_);
    root_ = pagetree::build();
    page_ = std::make_unique<weighdesk::InfoPage>(
        root_.get(), Driver::getInstanceLib(), line_, [this](ErrorCase ecase) { errors_.append(ecase); },
        weighdesk::look::WindowMode::Desktop);
}

void InfoPageTest::init() {
    errors_.clear();
    sim_->Control({"mute"});
}

bool InfoPageTest::load() {
    std::optional<bool> loaded;
    page_->load([&](bool result) { loaded = result; });
    if (!QTest::qWaitFor([&] { return loaded.has_value(); }, 30000)) qWarning("the table was never read");
    return loaded.value_or(false);
}

QStringList InfoPageTest::values() const {
    QStringList texts;
    for (const ParameterRow& row : page_->rows()) texts << row.value;
    return texts;
}

// The rows and their widgets: an empty odd row first, then odd and even by index, the last marked.
void InfoPageTest::rowsOfTheSimulatedScale() {
    sim_->Control({"set ver1 ZAB1", "set ver2 v1.05", "set div 3", "set ktr 2", "set max 030"});
    QVERIFY(load());
    QVERIFY(load());
    QVERIFY(errors_.isEmpty());
    const QString count = QString::fromStdString(sim_->Setting("cnt"));
    QCOMPARE(values(), QStringList({"K-ZA A7-30.10", "III(средний)", "12345678", "30 кг", "10 г", "200 г", "37.5 кг",
                                    "ZAb1", "V1.05", count}));
    const QList<QWidget*> frames =
        root_->findChild<QWidget*>("sawc_parameters")->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    QStringList names;
    for (const QWidget* frame : frames) names << frame->objectName();
    QStringList expected = {"w_parameters_row_odd"};
    for (int i = 0; i < 10; ++i) expected << (i % 2 == 1 ? "w_parameters_row_odd" : "w_parameters_row_even");
    expected.last() += "_last";
    QCOMPARE(names, expected);
    QCOMPARE(frames.first()->findChild<QLabel*>("lbl_parameters_row_name")->text(), QString());
    QCOMPARE(frames.at(4)->findChild<QLabel*>("lbl_parameters_row_name")->text(), QString("Максимальная нагрузка"));
    QCOMPARE(frames.at(4)->findChild<QLabel*>("lbl_parameters_row_value")->text(), QString("30 кг"));
    QVERIFY(frames.first()->minimumHeight() >= 60);
}

// A muted setting times out on the line; the rows around it are still read.
void InfoPageTest::oneFailingCommandLeavesOnlyItsRowEmpty() {
    sim_->Control({"set max 015", "set div 1", "set ktr 1", "mute ktr"});
    QVERIFY(load());
    QCOMPARE(errors_, QList<ErrorCase>({ErrorCase::BoostTimeOut}));
    const QStringList texts = values();
    QCOMPARE(texts.mid(3, 4), QStringList({"15 кг", "2 г", "40 г", ""}));
    QVERIFY(!texts.at(9).isEmpty());
}

// The simulator cuts the line in the middle of the first reply and starts over on a new pty.
void InfoPageTest::lostLineAbortsThePage() {
    QVERIFY(load());
    const QList<ParameterRow> before = page_->rows();
    sim_->Control({"drop"});
    QVERIFY(!load());
    QCOMPARE(page_->rows(), before);
    QCOMPARE(pagetree::connect(sim_->CurrentEndpoint()), ErrorCase::Correct);
}

void InfoPageTest::valueRules_data() {
    QTest::addColumn<weighdesk::ScaleReadings>("readings");
    QTest::addColumn<QStringList>("expected");  // rows 1, 2, 5, 6, 7, 8, 9
    QTest::newRow("class split off") << weighdesk::ScaleReadings{"A B III", "1",      "15",     "3",
                                                                 "1",       "abCdef", "abc1.2", "4"}
                                     << QStringList{"A B", "III", "10 г", "200 г", "15 кг", "abcdef", "Abc1.2"};
    QTest::newRow("one-word model") << weighdesk::ScaleReadings{"ABC", "1", "15", "5", "0", " ZAB1 ", "ab1", "4"}
                                    << QStringList{"", "ABC", "50 г", "1000 г", "7.5 кг", "ZAb1", "ab1"};
    QTest::newRow("unknown codes") << weighdesk::ScaleReadings{"A B", "1", "15", "7", "9", "abc", "1.05", "4"}
                                   << QStringList{"A", "B", "", "", "0 кг", "abc", "1.05"};
}

void InfoPageTest::valueRules() {
    QFETCH(weighdesk::ScaleReadings, readings);
    QFETCH(QStringList, expected);
    const QList<ParameterRow> rows = weighdesk::parameterRows(readings);
    QStringList got;
    for (int row : {0, 1, 4, 5, 6, 7, 8}) got << rows.at(row).value;
    QCOMPARE(got, expected);
}

QTEST_MAIN(InfoPageTest)
#include "info_page_test.moc"
