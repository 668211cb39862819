// The about dialog: its texts, where its links lead, its identifier and its two looks.
#include <QDesktopServices>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>
#include <fstream>
#include <iterator>

#include "about-dialog.h"

using weighdesk::info_dialog;

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

QString text(const QDialog& dialog, const char* name) {
    return dialog.findChild<QLabel*>(name)->text();
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
    void textsAndIdentifier();
    void linksOpenTheMakersExampleAddresses();
    void panelLookDarkensTheWindowAndStays();
    void desktopLookCastsAShadowAndDrags();
};

void InfoDialogTest::textsAndIdentifier() {
    info_dialog dialog(true, true);
    QCOMPARE(dialog.windowTitle(), QString("Dialog"));
    QCOMPARE(dialog.findChild<QPushButton*>("pb_close")->text(), QString("Закрыть"));
    const QList<std::pair<const char*, QString>> texts = {
        {"lbl_header", "Терминал Z9"},
        {"lbl_id_name", "Идентификационное наименование внешн. ПО:"},
        {"lbl_id", "Терминал"},
        {"lbl_version_name", "Версия внешн. ПО"},
        {"lbl_version", "1.0.4"},
        {"lbl_crc_name", "Цифровой идентификатор ПО (CRC, версии 1.x.y):"},
        {"lbl_crc", QString::number(crc32OfFile("/proc/self/exe"), 16)},
    };
    for (const auto& [name, expected] : texts) QCOMPARE(text(dialog, name), expected);
    QVERIFY(text(dialog, "lbl_copyright").startsWith("Авторское право <b style=\"color:#1b83c2;\">"));
}

// A click on a link goes to the system's handler of its scheme.
void InfoDialogTest::linksOpenTheMakersExampleAddresses() {
    info_dialog dialog(false, true);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler("https", &recorder, "open");
    QDesktopServices::setUrlHandler("mailto", &recorder, "open");
    const QList<std::tuple<const char*, QString, QString>> links = {
        {"lbl_site", "Наш сайт: ", "https://norvell.example/"},
        {"lbl_faq", "База знаний: ", "https://norvell.example/faq"},
        {"lbl_doc", "Документация: ", "https://norvell.example/docs"},
        {"lbl_support", "Техподдержка: ", "mailto:support@norvell.example"},
        {"lbl_license", "", "https://norvell.example/license"},
    };
    for (const auto& [name, lead, url] : links) {
        const QString shown = text(dialog, name);
        QVERIFY2(
            shown.startsWith(lead + "<a href=\"" + url + "\" style=\"color:#1b83c2; text-decoration:underline;\">"),
            qPrintable(shown));
        recorder.opened.clear();
        auto* label = dialog.findChild<QLabel*>(name);
        const int x = label->fontMetrics().horizontalAdvance(lead) + 4;
        QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(x, label->fontMetrics().height() / 2 + 1));
        QTRY_COMPARE(recorder.opened, QList<QUrl>({QUrl(url)}));
    }
    QVERIFY(text(dialog, "lbl_license").contains(">Лицензионное соглашение</a>"));
    QDesktopServices::unsetUrlHandler("https");
    QDesktopServices::unsetUrlHandler("mailto");
}

void InfoDialogTest::panelLookDarkensTheWindowAndStays() {
    info_dialog dialog(false, false);
    QVERIFY(dialog.findChild<QWidget*>("w_blackout_shadow") != nullptr);
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

QTEST_MAIN(InfoDialogTest)
#include "about_dialog_test.moc"
