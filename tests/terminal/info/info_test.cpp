// The information page's value rules and the about dialog: its identifier and its two looks.
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QtTest>
#include <fstream>
#include <iterator>

#include "about-dialog.h"
#include "parameter-rows.h"

using weighdesk::info_dialog;

Q_DECLARE_METATYPE(weighdesk::ScaleReadings)

namespace {

// Plain bitwise CRC-32 (reflected, polynomial 0xEDB88320), independent of the code under test.
quint32 crc32OfFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    quint32 crc = 0xFFFFFFFFu;
    for (std::istreambuf_iterator<char> it(file), end; it != end; ++it) {
        crc ^= static_cast<quint8>(*it);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

}  // namespace

class InfoTest : public QObject {
    Q_OBJECT

private slots:
    void valueRules_data() {
        using weighdesk::ScaleReadings;
        QTest::addColumn<ScaleReadings>("readings");
        QTest::addColumn<QStringList>("expected");  // rows 1, 2, 5, 6, 7, 8, 9
        QTest::newRow("class split off") << ScaleReadings{"A B III", "1", "15", "3", "1", "abCdef", "abc1.2", "4"}
                                         << QStringList{"A B", "III", "10 г", "200 г", "15 кг", "abcdef", "Abc1.2"};
        QTest::newRow("one-word model") << ScaleReadings{"ABC", "1", "15", "5", "0", " ZAB1 ", "ab1", "4"}
                                        << QStringList{"", "ABC", "50 г", "1000 г", "7.5 кг", "ZAb1", "ab1"};
        QTest::newRow("unknown codes") << ScaleReadings{"A B", "1", "15", "7", "9", "abc", "1.05", "4"}
                                       << QStringList{"A", "B", "", "", "0 кг", "abc", "1.05"};
    }
    void valueRules() {
        QFETCH(weighdesk::ScaleReadings, readings);
        QFETCH(QStringList, expected);
        const QList<weighdesk::ParameterRow> rows = weighdesk::parameterRows(readings);
        QStringList got;
        for (int row : {0, 1, 4, 5, 6, 7, 8}) got << rows.at(row).value;
        QCOMPARE(got, expected);
    }

    void identifierIsTheProgramsCrc() {
        info_dialog dialog(true, true);
        QCOMPARE(dialog.findChild<QLabel*>("lbl_version")->text(), QStringLiteral("1.0.4"));
        QCOMPARE(dialog.findChild<QLabel*>("lbl_crc")->text(), QString::number(crc32OfFile("/proc/self/exe"), 16));
    }

    // On a panel the dialog darkens the screen and stays put; on the desktop it casts a shadow and
    // follows a drag.
    void looksOfPanelAndDesktop() {
        info_dialog panel(false, false);
        QVERIFY(panel.findChild<QWidget*>("w_blackout_shadow") != nullptr);
        QVERIFY(panel.findChild<QWidget*>("w_background")->graphicsEffect() == nullptr);
        const QPoint still = panel.pos();
        QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(&panel, QPoint(50, 60));
        QCOMPARE(panel.pos(), still);

        info_dialog dialog(true, true);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(dialog.findChild<QWidget*>("w_blackout") != nullptr);
        auto* shadow =
            qobject_cast<QGraphicsDropShadowEffect*>(dialog.findChild<QWidget*>("w_background")->graphicsEffect());
        QVERIFY(shadow != nullptr);
        const QPoint before = dialog.pos();
        QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(5, 5));
        QMouseEvent move(QEvent::MouseMove, QPointF(35, 45), dialog.mapToGlobal(QPointF(35, 45)), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(&dialog, &move);
        QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(35, 45));
        QCOMPARE(dialog.pos(), before + QPoint(30, 40));
    }
};

QTEST_MAIN(InfoTest)
#include "info_test.moc"
