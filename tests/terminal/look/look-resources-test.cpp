// The built-in resources: the two sheets, the icons and the embedded faces.
#include <QFile>
#include <QFontDatabase>
#include <QSet>
#include <QSvgRenderer>
#include <QtTest>

#include "look-tree.h"
#include "look.h"
#include "sheet-rules.h"

using namespace weighdesk::look;
using look_test::SheetRule;

namespace {

const QStringList kIcons = {"back",   "back_white", "close",          "close_white", "logo",           "logo_white",
                            "menu",   "minimize",   "minimize_white", "scale",       "scale_selected", "stab",
                            "unstab", "zero",       "unzero",         "selector"};

QList<SheetRule> rulesOf(WindowMode mode) {
    return look_test::sheetRules(styleSheet(mode));
}

int pixels(const QString& body, const QString& property) {
    return QRegularExpression(property + ":\\s*(\\d+)px").match(body).captured(1).toInt();
}

}  // namespace

class LookResourcesTest : public QObject {
    Q_OBJECT
private slots:
    void sheetsHaveTheSameSelectorsEachNamingOneWidget() {
        const QList<SheetRule> large = rulesOf(WindowMode::PortraitScreen);
        const QList<SheetRule> small = rulesOf(WindowMode::SmallScreen);
        QVERIFY(large.size() > 200);
        QCOMPARE(large.size(), small.size());
        QSet<QString> seen;
        for (qsizetype i = 0; i < large.size(); ++i) {
            QCOMPARE(small[i].selector, large[i].selector);
            QVERIFY2(!large[i].selector.contains(','), qPrintable(large[i].selector));
            QVERIFY2(!large[i].objectName().isEmpty(), qPrintable(large[i].selector));
            QCOMPARE(large[i].selector.count('#'), 1);
            QVERIFY2(!seen.contains(large[i].selector), qPrintable("twice: " + large[i].selector));
            seen.insert(large[i].selector);
        }
    }

    void everyStateDependentNameHasItsOwnRule() {
        const QStringList names = look_test::stateDependentNames();
        for (WindowMode mode : {WindowMode::SmallScreen, WindowMode::PortraitScreen}) {
            QSet<QString> selectors;
            for (const SheetRule& rule : rulesOf(mode)) selectors.insert(rule.selector);
            for (const QString& name : names) QVERIFY2(selectors.contains("#" + name), qPrintable(name));
        }
    }

    // Sizes differ between the sheets, the family and the weight range do not.
    void sheetsNameInterDisplayWithinTheWeightRange() {
        for (WindowMode mode : {WindowMode::SmallScreen, WindowMode::PortraitScreen}) {
            for (const SheetRule& rule : rulesOf(mode)) {
                if (!rule.body.contains("font-size")) continue;
                QVERIFY2(rule.body.contains("font-family: \"Inter Display\";"), qPrintable(rule.selector));
                const int weight = QRegularExpression("font-weight:\\s*(\\d+)").match(rule.body).captured(1).toInt();
                QVERIFY2(weight >= 300 && weight <= 800, qPrintable(rule.selector));
            }
        }
        const QList<SheetRule> large = rulesOf(WindowMode::PortraitScreen);
        const QList<SheetRule> small = rulesOf(WindowMode::SmallScreen);
        for (qsizetype i = 0; i < large.size(); ++i) {
            if (large[i].selector == "#lbl_net_weight") {
                QCOMPARE(pixels(small[i].body, "font-size"), 128);
                QCOMPARE(pixels(large[i].body, "font-size"), 180);
            } else if (large[i].body.contains("font-size")) {
                QVERIFY2(pixels(large[i].body, "font-size") > pixels(small[i].body, "font-size"),
                         qPrintable(large[i].selector));
            }
        }
    }

    void everyIconRendersInBothVariants() {
        for (const QString& icon : kIcons) {
            QSvgRenderer large(iconPath(icon, WindowMode::PortraitScreen));
            QSvgRenderer small(iconPath(icon, WindowMode::Desktop));
            QVERIFY2(large.isValid() && small.isValid(), qPrintable(icon));
            QCOMPARE(iconPath(icon, WindowMode::SmallScreen), ":" + icon + "_mini.svg");
            QVERIFY2(small.defaultSize().width() < large.defaultSize().width(), qPrintable(icon));
            const QImage drawn = iconPixmap(icon, WindowMode::SmallScreen).toImage();
            QCOMPARE(drawn.size(), small.defaultSize());
            bool inked = false;
            for (int y = 0; y < drawn.height() && !inked; ++y)
                for (int x = 0; x < drawn.width() && !inked; ++x) inked = qAlpha(drawn.pixel(x, y)) > 0;
            QVERIFY2(inked, qPrintable(icon + " draws nothing"));
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
