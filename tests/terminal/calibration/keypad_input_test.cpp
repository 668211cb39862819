// What a keypad entry accepts and shows, for the two entries of the calibration pages.
#include <QLabel>
#include <QtTest>

#include "keypad-input.h"

using weighdesk::KeypadInput;

class KeypadInputTest : public QObject {
    Q_OBJECT

private slots:
    void keys_data();
    void keys();
    void setClearsBackToThePlaceholder();
};

// keys: digits are typed, "e" erases.
void KeypadInputTest::keys_data() {
    QTest::addColumn<bool>("passwordEntry");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("edited");
    QTest::newRow("weight starts edited at 15") << false << ""
                                                << "15| кг" << true;
    QTest::newRow("weight appends to 15") << false << "2"
                                          << "152| кг" << true;
    QTest::newRow("weight erased twice shows the placeholder") << false << "ee"
                                                               << "0| кг" << false;
    QTest::newRow("erasing the placeholder does nothing") << false << "eee"
                                                          << "0| кг" << false;
    QTest::newRow("placeholder refuses 0") << false << "ee0"
                                           << "0| кг" << false;
    QTest::newRow("placeholder refuses 00") << false << "ee00"
                                            << "0| кг" << false;
    QTest::newRow("1 replaces the placeholder") << false << "ee1"
                                                << "1| кг" << true;
    QTest::newRow("0 after a digit is accepted") << false << "ee10"
                                                 << "10| кг" << true;
    QTest::newRow("weight takes ten digits at most") << false << "ee12345678901"
                                                     << "1234567890| кг" << true;
    QTest::newRow("password starts empty") << true << ""
                                           << "|" << false;
    QTest::newRow("password is masked") << true << "85"
                                        << "**|" << true;
    QTest::newRow("password takes a leading 0") << true << "0"
                                                << "*|" << true;
    QTest::newRow("password takes ten characters at most") << true << "12345678901"
                                                           << "**********|" << true;
    QTest::newRow("password erased to nothing") << true << "1e"
                                                << "|" << false;
}

void KeypadInputTest::keys() {
    QFETCH(bool, passwordEntry);
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    QFETCH(bool, edited);
    QLabel label;
    KeypadInput entry = passwordEntry ? KeypadInput(&label, "", "", true, "^[0-9.]{1,10}$", "")
                                      : KeypadInput(&label, "15", "0", false, "^[1-9][0-9]{0,9}$", "кг");
    for (QChar key : keys) key == u'e' ? entry.erase() : entry.type(key);
    QCOMPARE(label.text(), shown);
    QCOMPARE(entry.edited(), edited);
}

void KeypadInputTest::setClearsBackToThePlaceholder() {
    QLabel label;
    KeypadInput entry(&label, "15", "0", false, "^[1-9][0-9]{0,9}$", "кг");
    entry.set("");
    QCOMPARE(label.text(), QString("0| кг"));
    QVERIFY(!entry.edited());
    entry.set("7");
    QCOMPARE(entry.text(), QString("7"));
    QVERIFY(entry.edited());
}

QTEST_MAIN(KeypadInputTest)
#include "keypad_input_test.moc"
