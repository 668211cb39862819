// The look on the terminal's own window: the form's object names against the sheets, and every
// page widget of the form placed, unclipped and clear of its neighbours.
#include <QAbstractButton>
#include <QLabel>
#include <QSet>
#include <QtTest>

#include "look-tree.h"
#include "look.h"
#include "main-window.h"
#include "sheet-rules.h"

using namespace weighdesk::look;
using weighdesk::MainWindow;

namespace {

QWidget* pageBackground(QWidget& window, const char* name) {
    if (auto* plain = window.findChild<QWidget*>(QString::fromLatin1(name))) return plain;
    return window.findChild<QWidget*>(QString::fromLatin1(name) + "_desktop");
}

// A widget renamed for its state ("pb_selected_check_connected") has the rectangle of its form
// name ("pb_selected_check").
QRect tableRectangle(QString name, WindowMode mode) {
    for (; !name.isEmpty(); name.truncate(qMax(0, int(name.lastIndexOf('_'))))) {
        const QRect rect = rectangleOf(pageRectangles(mode), QLatin1StringView(name.toLatin1()));
        if (rect.isValid()) return rect;
    }
    return {};
}

bool fits(const QWidget* widget) {
    if (qobject_cast<const QLabel*>(widget) == nullptr && qobject_cast<const QAbstractButton*>(widget) == nullptr)
        return true;
    const QSize hint = widget->sizeHint();
    return hint.width() <= widget->width() && hint.height() <= widget->height();
}

}  // namespace

class LookRealWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<MainWindow> window;

private slots:
    // One window for the suite: it starts on the port selection page, with no ports to list.
    void initTestCase() {
        window = std::make_unique<MainWindow>(std::string(), [] { return QStringList(); });
    }
    void cleanupTestCase() { window.reset(); }

    void everySheetNameIsInTheWindowOrIsAState() {
        QSet<QString> names{"lbl_parameters_row_name", "lbl_parameters_row_value"};  // rows made at run time
        for (const QObject* child : window->findChildren<QObject*>()) names.insert(child->objectName());
        for (const QString& name : look_test::stateDependentNames()) names.insert(name);
        for (const Placement& placement : dialogRectangles(WindowMode::SmallScreen))
            names.insert(QString(placement.name));
        names.insert("w_blackout");
        for (const look_test::SheetRule& rule : look_test::sheetRules(styleSheet(WindowMode::SmallScreen)))
            QVERIFY2(names.contains(rule.objectName()), qPrintable(rule.selector));
    }

    void everyPageWidgetIsPlacedUnclippedAndApart() {
        const WindowMode mode = primaryScreenMode();
        apply(*window, mode);
        window->show();
        QCoreApplication::processEvents();
        QCOMPARE(window->size(), windowSize(mode));
        for (const char* name : kPageBackgrounds) {
            QWidget* background = pageBackground(*window, name);
            QVERIFY2(background != nullptr, name);
            QCOMPARE(background->size(), pageArea(mode));
            const QList<QWidget*> widgets = background->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
            for (const QWidget* widget : widgets) {
                const QString label = QString(name) + "/" + widget->objectName();
                QVERIFY2(tableRectangle(widget->objectName(), mode).isValid(), qPrintable(label + " has no rectangle"));
                widget->ensurePolished();
                QVERIFY2(fits(widget), qPrintable(label + " is clipped"));
                for (const QWidget* other : widgets) {
                    if (other == widget || widget->isHidden() || other->isHidden()) continue;
                    const QRect a = widget->geometry(), b = other->geometry();
                    QVERIFY2(!a.intersects(b) || a.contains(b) || b.contains(a),
                             qPrintable(label + " overlaps " + other->objectName()));
                }
            }
        }
    }
};

QTEST_MAIN(LookRealWindowTest)
#include "look-real-window-test.moc"
