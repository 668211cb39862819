// The look's own resources, without a window: the window modes, the icons and the embedded faces.
#include <QDir>
#include <QFontDatabase>
#include <QtTest>

#include "resources.h"

using namespace weighdesk::look;

class LookResourcesTest : public QObject {
    Q_OBJECT
private slots:
    void windowModeOnlyForTheExactPanelSizes() {
        QCOMPARE(windowModeFor({800, 600}), WindowMode::SmallScreen);
        QCOMPARE(windowModeFor({1080, 1920}), WindowMode::PortraitScreen);
        QCOMPARE(windowModeFor({1920, 1080}), WindowMode::Desktop);
        QCOMPARE(windowModeFor({600, 800}), WindowMode::Desktop);
        QCOMPARE(windowModeFor({1080, 1919}), WindowMode::Desktop);
    }

    // One drawing per icon, drawn at the size of each mode.
    void everyIconDrawsAtItsSizeInEachMode() {
        registerFonts();  // loads the resources
        const QStringList icons = QDir(":/").entryList({"*.svg"});
        QVERIFY(!icons.isEmpty());
        for (QString icon : icons) {
            icon.chop(4);
            for (WindowMode mode : {WindowMode::SmallScreen, WindowMode::PortraitScreen}) {
                const QImage drawn = iconPixmap(icon, mode).toImage();
                QCOMPARE(drawn.size(), iconSize(icon, mode));
                bool inked = false;
                for (int y = 0; y < drawn.height() && !inked; ++y)
                    for (int x = 0; x < drawn.width() && !inked; ++x) inked = qAlpha(drawn.pixel(x, y)) > 0;
                QVERIFY2(inked, qPrintable(icon + " draws nothing"));
            }
        }
        QVERIFY(iconPixmap("no_such_icon", WindowMode::SmallScreen).isNull());
    }

    void interDisplayFacesAreEmbeddedAndRegistered() {
        QVERIFY(registerFonts());
        QCOMPARE(fontResources().size(), 8);
        for (const QString& face : fontResources()) {
            const int id = QFontDatabase::addApplicationFont(face);
            QVERIFY2(id >= 0, qPrintable(face));
            QCOMPARE(QFontDatabase::applicationFontFamilies(id).value(0), QString(kFontFamily));
        }
        QFont heavy(kFontFamily, 20, 800);
        QCOMPARE(QFontInfo(heavy).family(), QString(kFontFamily));
    }
};

QTEST_MAIN(LookResourcesTest)
#include "look-resources-test.moc"
