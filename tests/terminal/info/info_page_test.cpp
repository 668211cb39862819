// The information page against a simulated scale through the real facade and driver, and the
// value rules of its rows.
#include <QtTest>
#include <memory>

#include "info-page.h"
#include "page-tree.h"
#include "parameter-rows.h"
#include "permanent.h"
#include "support/temp-dir.h"

using Norvell::Balvex::CppWrapper::Driver;
using Norvell::Balvex::CppWrapper::ErrorCase;
using weighdesk::InfoPage;
using weighdesk::ParameterRow;
using weighdesk::ScaleReadings;

class InfoPageTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void rowsOfTheSimulatedScale();
    void oneFailingCommandLeavesOnlyItsRowEmpty();
    void rowWidgetsAreRebuiltOnEveryEntry();
    void lostLineAbortsThePage();
    void valueRules_data();
    void valueRules();

private:
    QStringList values() const;

    testsupport::ScopedAppData appData_;
    std::unique_ptr<testsupport::SimProcess> sim_;
    std::unique_ptr<QWidget> root_;
    std::unique_ptr<InfoPage> page_;
    QList<ErrorCase> errors_;
    int lostConnections_ = 0;
};

void InfoPageTest::initTestCase() {
    sim_ = pagetree::startConnectedScale();
    QVERIFY(sim_);
    root_ = pagetree::build();
    weighdesk::InfoHooks hooks;
    hooks.showError = [this](ErrorCase ecase) { errors_.append(ecase); };
    hooks.connectionLost = [this] { ++lostConnections_; };
    // The window's rule: the driver closes a line the other end dropped and answers ConnectionError.
    hooks.isConnectionLost = [](ErrorCase ecase) {
        ErrorCase query = ErrorCase::Correct;
        return ecase == ErrorCase::UnableToOpenSerialPort ||
               (ecase == ErrorCase::ConnectionError && !Driver::getInstanceLib().isPortOpen(query));
    };
    page_ =
        std::make_unique<InfoPage>(root_.get(), Driver::getInstanceLib(), hooks, weighdesk::look::WindowMode::Desktop);
}

void InfoPageTest::init() {
    errors_.clear();
    lostConnections_ = 0;
    QCOMPARE(sim_->Send("mute"), std::string("ok"));
}

void InfoPageTest::cleanupTestCase() {
    pagetree::disconnect();
}

QStringList InfoPageTest::values() const {
    QStringList texts;
    for (const ParameterRow& row : page_->rows()) texts << row.value;
    return texts;
}

void InfoPageTest::rowsOfTheSimulatedScale() {
    sim_->Control({"set ver1 ZAB1", "set ver2 v1.05", "set div 3", "set ktr 2", "set max 030"});
    QVERIFY(page_->load());
    QVERIFY(errors_.isEmpty());
    const QStringList names = {"Информация о модели",
                               "Класс точности",
                               "Серийный номер",
                               "Максимальная нагрузка",
                               "Действительная цена деления",
                               "Минимальная нагрузка",
                               "Диапазон тарирования",
                               "Идентификационное наименование внутр. ПО",
                               "Версия внутр. ПО",
                               "Информация о количестве калибровок"};
    QStringList rowNames;
    for (const ParameterRow& row : page_->rows()) rowNames << row.name;
    QCOMPARE(rowNames, names);
    const QString count = QString::fromStdString(sim_->Setting("cnt"));
    QCOMPARE(values(), QStringList({"K-ZA A7-30.10", "III(средний)", "12345678", "30 кг", "10 г", "200 г", "37.5 кг",
                                    "ZAb1", "V1.05", count}));
}

// A muted setting times out on the line; the rows around it are still read.
void InfoPageTest::oneFailingCommandLeavesOnlyItsRowEmpty() {
    sim_->Control({"set max 015", "set div 1", "set ktr 1", "mute ktr"});
    QVERIFY(page_->load());
    QCOMPARE(errors_, QList<ErrorCase>({ErrorCase::BoostTimeOut}));
    const QStringList texts = values();
    QCOMPARE(texts.at(6), QString());
    QCOMPARE(texts.at(3), QString("15 кг"));
    QCOMPARE(texts.at(4), QString("2 г"));
    QCOMPARE(texts.at(5), QString("40 г"));
    QVERIFY(!texts.at(9).isEmpty());
    QCOMPARE(lostConnections_, 0);
}

void InfoPageTest::rowWidgetsAreRebuiltOnEveryEntry() {
    QVERIFY(page_->load());
    QVERIFY(page_->load());
    auto* container = root_->findChild<QWidget*>("sawc_parameters");
    QStringList frames;
    for (QWidget* child : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) frames << child->objectName();
    QStringList expected = {"w_parameters_row_odd"};
    for (int i = 0; i < 10; ++i) expected << (i % 2 == 1 ? "w_parameters_row_odd" : "w_parameters_row_even");
    expected.last() += "_last";
    QCOMPARE(frames, expected);
    const QList<QWidget*> rows = container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    QCOMPARE(rows.first()->findChild<QLabel*>("lbl_parameters_row_name")->text(), QString());
    QCOMPARE(rows.at(4)->findChild<QLabel*>("lbl_parameters_row_name")->text(), QString("Максимальная нагрузка"));
    QCOMPARE(rows.at(4)->findChild<QLabel*>("lbl_parameters_row_value")->text(), page_->rows().at(3).value);
    QVERIFY(rows.first()->minimumHeight() >= 60);
}

// The simulator cuts the line in the middle of the first reply and starts over on a new pty.
void InfoPageTest::lostLineAbortsThePage() {
    QVERIFY(page_->load());
    const QList<ParameterRow> before = page_->rows();
    QCOMPARE(sim_->Send("drop"), std::string("ok"));
    QVERIFY(!page_->load());
    QCOMPARE(lostConnections_, 1);
    QCOMPARE(page_->rows(), before);
    QCOMPARE(pagetree::connect(sim_->CurrentEndpoint()), ErrorCase::Correct);
}

void InfoPageTest::valueRules_data() {
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("division");
    QTest::addColumn<QString>("tareRange");
    QTest::addColumn<QString>("firmwareName");
    QTest::addColumn<QString>("firmwareVersion");
    QTest::addColumn<QStringList>("expected");  // rows 1, 2, 5, 6, 7, 8, 9
    QTest::newRow("class split off") << "A B III"
                                     << "3"
                                     << "1"
                                     << "abCdef"
                                     << "abc1.2"
                                     << QStringList{"A B", "III", "10 г", "200 г", "15 кг", "abcdef", "Abc1.2"};
    QTest::newRow("one-word model, half tare")
        << "ABC"
        << "5"
        << "0"
        << " ZAB1 "
        << "ab1" << QStringList{"", "ABC", "50 г", "1000 г", "7.5 кг", "ZAb1", "ab1"};
    QTest::newRow("unknown codes") << "A B"
                                   << "7"
                                   << "9"
                                   << "abc"
                                   << "1.05" << QStringList{"A", "B", "", "", "0 кг", "abc", "1.05"};
}

void InfoPageTest::valueRules() {
    QFETCH(QString, model);
    QFETCH(QString, division);
    QFETCH(QString, tareRange);
    QFETCH(QString, firmwareName);
    QFETCH(QString, firmwareVersion);
    QFETCH(QStringList, expected);
    ScaleReadings readings{model, "1", "15", division, tareRange, firmwareName, firmwareVersion, "4"};
    const QList<ParameterRow> rows = weighdesk::parameterRows(readings);
    QStringList got;
    for (int row : {0, 1, 4, 5, 6, 7, 8}) got << rows.at(row).value;
    QCOMPARE(got, expected);
    QCOMPARE(weighdesk::firmwareVersionText(firmwareVersion), expected.last());
}

QTEST_MAIN(InfoPageTest)
#include "info_page_test.moc"
