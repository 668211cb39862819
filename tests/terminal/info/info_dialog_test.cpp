// The about dialog: its texts, where its links lead, its identifier and its two looks.
#include <QDesktopServices>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>
#include <fstream>
#include <iterator>

#include "info-dialog.h"

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

QString href(const QLabel* label) {
    return QRegularExpression("href=\"([^\"]+)\"").match(label->text()).captured(1);
}

}  // namespace

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class InfoDialogTest : public QObject {
    Q_OBJECT

private slots:
    void texts();
    void links();
    void identifierIsTheCrcOfTheProgramFile();
    void panelLookDarkensTheWindow();
    void desktopLookCastsAShadowAndDrags();
    void closeButtonClosesTheDialog();
};

void InfoDialogTest::texts() {
    info_dialog dialog(true, true);
    QCOMPARE(dialog.windowTitle(), QString("Dialog"));
    const QList<std::pair<const char*, QString>> texts = {
        {"lbl_header", "Терминал Z9"}, {"lbl_id_name", "Идентификационное наименование внешн. ПО:"},
        {"lbl_id", "Терминал"},        {"lbl_version_name", "Версия внешн. ПО"},
        {"lbl_version", "1.0.4"},      {"lbl_crc_name", "Цифровой идентификатор ПО (CRC, версии 1.x.y):"},
    };
    for (const auto& [name, text] : texts) QCOMPARE(dialog.findChild<QLabel*>(name)->text(), text);
    QCOMPARE(dialog.findChild<QPushButton*>("pb_close")->text(), QString("Закрыть"));
    QVERIFY(dialog.findChild<QLabel*>("lbl_site")->text().startsWith("Наш сайт:"));
    QVERIFY(dialog.findChild<QLabel*>("lbl_faq")->text().startsWith("База знаний:"));
    QVERIFY(dialog.findChild<QLabel*>("lbl_doc")->text().startsWith("Документация:"));
    QVERIFY(dialog.findChild<QLabel*>("lbl_support")->text().startsWith("Техподдержка:"));
    QVERIFY(dialog.findChild<QLabel*>("lbl_license")->text().contains(">Лицензионное соглашение</a>"));
    const QString copyright = dialog.findChild<QLabel*>("lbl_copyright")->text();
    QVERIFY(copyright.startsWith("Авторское право <b"));
    QVERIFY(copyright.contains("#1b83c2"));
}

// Every link leaves for the maker's reserved example domain; a click on the licence opens it.
void InfoDialogTest::links() {
    info_dialog dialog(false, true);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler("https", &recorder, "open");
    QDesktopServices::setUrlHandler("mailto", &recorder, "open");
    const QList<std::pair<const char*, QString>> links = {
        {"lbl_site", "https://norvell.example/"},           {"lbl_faq", "https://norvell.example/faq"},
        {"lbl_doc", "https://norvell.example/docs"},        {"lbl_support", "mailto:support@norvell.example"},
        {"lbl_license", "https://norvell.example/license"},
    };
    for (const auto& [name, url] : links) {
        auto* label = dialog.findChild<QLabel*>(name);
        QCOMPARE(href(label), url);
        QVERIFY(label->text().contains("color:#1b83c2") && label->text().contains("underline"));
    }
    auto* licence = dialog.findChild<QLabel*>("lbl_license");
    QTest::mouseClick(licence, Qt::LeftButton, {}, QPoint(8, licence->height() / 2));
    QTRY_COMPARE(recorder.opened, QList<QUrl>({QUrl("https://norvell.example/license")}));
    emit dialog.findChild<QLabel*>("lbl_support")->linkActivated("mailto:support@norvell.example");
    QCOMPARE(recorder.opened.last(), QUrl("mailto:support@norvell.example"));
    QDesktopServices::unsetUrlHandler("https");
    QDesktopServices::unsetUrlHandler("mailto");
}

void InfoDialogTest::identifierIsTheCrcOfTheProgramFile() {
    const QString expected = QString::number(crc32OfFile("/proc/self/exe"), 16);
    QCOMPARE(weighdesk::softwareIdentifier(), expected);
    info_dialog dialog(true, true);
    QCOMPARE(dialog.findChild<QLabel*>("lbl_crc")->text(), expected);
    QVERIFY(QRegularExpression("^[0-9a-f]{1,8}$").match(expected).hasMatch());
}

void InfoDialogTest::panelLookDarkensTheWindow() {
    QWidget window;
    window.setGeometry(0, 0, 1080, 1920);
    info_dialog dialog(false, false, &window);
    QVERIFY(dialog.findChild<QWidget*>("w_blackout_shadow") != nullptr);
    QVERIFY(dialog.findChild<QWidget*>("w_blackout") == nullptr);
    QCOMPARE(dialog.size(), QSize(1080, 1920));
    QVERIFY(dialog.findChild<QWidget*>("w_background")->graphicsEffect() == nullptr);
    const QPoint before = dialog.pos();
    QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(&dialog, QPoint(50, 60));
    QCOMPARE(dialog.pos(), before);
}

void InfoDialogTest::desktopLookCastsAShadowAndDrags() {
    info_dialog dialog(true, true);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(dialog.findChild<QWidget*>("w_blackout") != nullptr);
    auto* shadow =
        qobject_cast<QGraphicsDropShadowEffect*>(dialog.findChild<QWidget*>("w_background")->graphicsEffect());
    QVERIFY(shadow != nullptr);
    QCOMPARE(shadow->blurRadius(), 10.0);
    QCOMPARE(shadow->offset(), QPointF(0, 0));
    QCOMPARE(shadow->color(), QColor(165, 165, 165, 255));
    const QPoint before = dialog.pos();
    QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(5, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(35, 45), dialog.mapToGlobal(QPointF(35, 45)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(&dialog, &move);
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(35, 45));
    QCOMPARE(dialog.pos(), before + QPoint(30, 40));
}

void InfoDialogTest::closeButtonClosesTheDialog() {
    QPointer<info_dialog> dialog = new info_dialog(true, true);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    QTest::mouseClick(dialog->findChild<QPushButton*>("pb_close"), Qt::LeftButton);
    QTRY_VERIFY(dialog.isNull());
}

QTEST_MAIN(InfoDialogTest)
#include "info_dialog_test.moc"
