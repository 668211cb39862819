// What a keypad entry accepts and shows, for the two entries of the calibration pages.
#include <QLabel>
#include <QtTest>

#include "keypad-input.h"

using weighdesk::KeypadInput;

class KeypadInputTest : public QObject {
    Q_OBJECT

private slots:
    // keys: digits are typed, "e" erases.
    void keys_data() {
        QTest::addColumn<bool>("password");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("edited");
        const struct {
            const char* name;
            bool password;
            const char* keys;
            const char* shown;
            bool edited;
        } rows[] = {
            {"weight starts edited at 15", false, "", "15| кг", true},
            {"weight appends to 15", false, "2", "152| кг", true},
            {"weight erased twice shows the placeholder", false, "ee", "0| кг", false},
            {"erasing the placeholder does nothing", false, "eee", "0| кг", false},
            {"placeholder refuses 0 and 00", false, "ee000", "0| кг", false},
            {"1 replaces the placeholder", false, "ee1", "1| кг", true},
            {"0 after a digit is accepted", false, "ee10", "10| кг", true},
            {"weight takes ten digits at most", false, "ee12345678901", "1234567890| кг", true},
            {"password starts empty", true, "", "|", false},
            {"password is masked", true, "85", "**|", true},
            {"password takes a leading 0", true, "0", "*|", true},
            {"password takes ten characters at most", true, "12345678901", "**********|", true},
            {"password erased to nothing", true, "1e", "|", false},
        };
        for (const auto& row : rows)
            QTest::newRow(row.name) << row.password << QString(row.keys) << QString(row.shown) << row.edited;
    }
    void keys() {
        QFETCH(bool, password);
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        QFETCH(bool, edited);
        QLabel label;
        KeypadInput entry = password ? KeypadInput(&label, "", "", true, "^[0-9.]{1,10}$", "")
                                     : KeypadInput(&label, "15", "0", false, "^[1-9][0-9]{0,9}$", "кг");
        for (QChar key : keys) key == u'e' ? entry.erase() : entry.type(key);
        QCOMPARE(label.text(), shown);
        QCOMPARE(entry.edited(), edited);
        entry.set("");
        QCOMPARE(label.text(), password ? QString("|") : QString("0| кг"));
        QVERIFY(!entry.edited());
    }
};

QTEST_MAIN(KeypadInputTest)
#include "keypad_input_test.moc"
