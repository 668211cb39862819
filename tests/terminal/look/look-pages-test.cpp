// The page tables and what the look does to a window's widget tree.
#include <QAbstractButton>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QtTest>

#include "look-tree.h"
#include "look.h"

using namespace weighdesk::look;

Q_DECLARE_METATYPE(weighdesk::look::WindowMode)

namespace {

// A container's own size: a page background fills the page area, a frame is in the table.
QSize containerSize(const std::vector<Placement>& table, QLatin1StringView container, WindowMode mode) {
    for (const char* background : kPageBackgrounds)
        if (container == QLatin1StringView(background)) return pageArea(mode);
    return rectangleOf(table, container).size();
}

void checkNoOverlapInside(const std::vector<Placement>& table, WindowMode mode) {
    for (const Placement& a : table) {
        const QSize area = containerSize(table, a.container, mode);
        if (area.isEmpty()) continue;  // the dialog's card: centred at run time
        QVERIFY2(QRect(QPoint(0, 0), area).contains(a.rect), qPrintable(QString(a.name)));
        for (const Placement& b : table) {
            if (&a == &b || a.container != b.container || !a.rect.intersects(b.rect)) continue;
            QVERIFY2(a.rect.contains(b.rect) || b.rect.contains(a.rect),
                     qPrintable(QString(a.name) + " overlaps " + QString(b.name)));
        }
    }
}

// Every label and button the table places shows its longest text without clipping.
void checkSizeHintsFit(QWidget& root, const std::vector<Placement>& table) {
    for (const Placement& placement : table) {
        auto* widget = root.findChild<QWidget*>(QString(placement.name));
        if (qobject_cast<QLabel*>(widget) == nullptr && qobject_cast<QAbstractButton*>(widget) == nullptr) continue;
        widget->ensurePolished();
        const QSize hint = widget->sizeHint();
        QVERIFY2(hint.width() <= placement.rect.width() && hint.height() <= placement.rect.height(),
                 qPrintable(QString("%1: %2×%3 in %4×%5")
                                .arg(QString(placement.name))
                                .arg(hint.width())
                                .arg(hint.height())
                                .arg(placement.rect.width())
                                .arg(placement.rect.height())));
    }
}

}  // namespace

class LookPagesTest : public QObject {
    Q_OBJECT
private slots:
    void windowModeOnlyForTheExactPanelSizes() {
        QCOMPARE(windowModeFor({800, 600}), WindowMode::SmallScreen);
        QCOMPARE(windowModeFor({1080, 1920}), WindowMode::PortraitScreen);
        QCOMPARE(windowModeFor({1920, 1080}), WindowMode::Desktop);
        QCOMPARE(windowModeFor({600, 800}), WindowMode::Desktop);
        QCOMPARE(windowModeFor({1080, 1919}), WindowMode::Desktop);
    }

    void modes_data() {
        QTest::addColumn<WindowMode>("mode");
        QTest::newRow("small") << WindowMode::SmallScreen;
        QTest::newRow("portrait") << WindowMode::PortraitScreen;
        QTest::newRow("desktop") << WindowMode::Desktop;
    }

    void rectanglesStayInsideTheirContainerWithoutOverlap_data() { modes_data(); }
    void rectanglesStayInsideTheirContainerWithoutOverlap() {
        QFETCH(WindowMode, mode);
        checkNoOverlapInside(pageRectangles(mode), mode);
        checkNoOverlapInside(dialogRectangles(mode), mode);
        const QRect alone = searchRepeatRectangle(mode, true);
        QCOMPARE(alone.left(), searchRepeatRectangle(mode, false).left());
        QVERIFY(QRect(QPoint(0, 0), pageArea(mode)).contains(alone));
    }

    void textsFitTheirRectanglesAndLayoutsLetGo_data() { modes_data(); }
    void textsFitTheirRectanglesAndLayoutsLetGo() {
        QFETCH(WindowMode, mode);
        const auto window = look_test::buildWindow();
        apply(*window, mode);
        window->show();
        QCoreApplication::processEvents();
        checkSizeHintsFit(*window, pageRectangles(mode));
        checkSizeHintsFit(*window, windowRectangles(mode));
        for (const Placement& placement : pageRectangles(mode)) {
            const auto* widget = window->findChild<QWidget*>(QString(placement.name));
            if (widget != nullptr && widget->parentWidget()->layout() == nullptr)
                QCOMPARE(widget->geometry(), placement.rect);
        }
        auto* row = window->findChild<QWidget*>("w_parameters_row_odd");
        placeParameterRow(row, mode);
        QCOMPARE(row->findChild<QWidget*>("lbl_parameters_row_value")->geometry(),
                 rectangleOf(pageRectangles(mode), QLatin1StringView("lbl_parameters_row_value")));

        const auto dialog = look_test::buildAboutDialog();
        dialog->setStyleSheet(styleSheet(mode));
        placeAboutDialog(*dialog, mode);
        checkSizeHintsFit(*dialog, dialogRectangles(mode));
        QCOMPARE(dialog->findChild<QWidget*>("w_background")->geometry().center(), dialog->rect().center());
    }

    void aRenamedWidgetTakesTheLookOfItsNewName() {
        const auto window = look_test::buildWindow();
        apply(*window, WindowMode::SmallScreen);
        auto* status = window->findChild<QLabel*>("lbl_selected_status");
        status->ensurePolished();
        QCOMPARE(status->palette().color(QPalette::WindowText), QColor(147, 147, 147));
        setObjectNameStyled(status, "lbl_selected_status_ready");
        status->ensurePolished();
        QCOMPARE(status->palette().color(QPalette::WindowText), QColor(8, 99, 155));
    }

    void headerLooksAndTheMinimiseButton_data() { modes_data(); }
    void headerLooksAndTheMinimiseButton() {
        QFETCH(WindowMode, mode);
        const auto window = look_test::buildWindow();
        apply(*window, mode);
        const QString desktop = mode == WindowMode::Desktop ? "_desktop" : "";
        QVERIFY(window->findChild<QWidget*>("w_header" + desktop + "_loader"));
        QVERIFY(window->findChild<QWidget*>("pb_exit_loader"));
        QVERIFY(window->findChild<QWidget*>("w_main_background" + desktop));
        applyHeaderLook(*window, mode, HeaderLook::Main);
        QVERIFY(window->findChild<QWidget*>("w_header" + desktop + "_main"));
        auto* minimize = window->findChild<QPushButton*>("pb_minimize");
        QVERIFY(minimize && window->findChild<QWidget*>("pb_exit"));
        QCOMPARE(minimize->isHidden(), mode != WindowMode::Desktop);
        const QRect menu = window->findChild<QWidget*>("pb_menu")->geometry();
        QVERIFY(!menu.intersects(window->findChild<QWidget*>("pb_exit")->geometry()));
        QCOMPARE(minimize->iconSize(), iconPixmap("minimize", mode).deviceIndependentSize().toSize());

        placeSearchRepeat(*window, mode, true);
        QCOMPARE(window->findChild<QWidget*>("pb_search_repeat")->geometry(), searchRepeatRectangle(mode, true));
    }
};

QTEST_MAIN(LookPagesTest)
#include "look-pages-test.moc"
