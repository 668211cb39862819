// The look on the terminal's own window and about dialog, on the screen the test runs on: the
// style sheet against the widgets' names, every widget placed, unclipped and clear of its
// neighbours, and what the mode changes in the frame and the header.
#include <QDir>
#include <QFontDatabase>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
#include <QtTest>

#include "about-dialog.h"
#include "look.h"
#include "main-window.h"
#include "resources.h"

using namespace weighdesk::look;
using weighdesk::info_dialog;
using weighdesk::MainWindow;

namespace {

// The names widgets take at run time for a state or a mode, each with its own rules.
const QStringList kStateNames =
    QStringLiteral(
        "pb_selected_apply_enabled pb_selected_apply_disabled pb_selected_check_connected pb_selected_check_cancel "
        "pb_selected_autosearch_disabled lbl_selected_status_connecting lbl_selected_status_ready "
        "interface_button interface_button_selected lbl_parameters_row_name lbl_parameters_row_value "
        "w_parameters_row_odd w_parameters_row_even w_parameters_row_odd_last w_parameters_row_even_last "
        "w_blackout w_blackout_shadow w_header_main w_header_loader w_header_desktop_main w_header_desktop_loader "
        "pb_minimize_loader pb_exit_loader")
        .split(' ');

// The longest texts shown at run time where the form holds a shorter one.
const char* const kRunTimeTexts[][2] = {
    {"lbl_loader_header", "Соединение с весами устанавливается (/dev/ttyUSB10)"},
    {"lbl_selected_status", "Соединение с весами устанавливается (/dev/ttyUSB10)"},
    {"lbl_serial_number", "12345678"},
    {"lbl_net_weight", "-15.000 кг"},
    {"lbl_tare_weight", "Tare: 15.000 кг"},
    {"lbl_calibration_input", "**********|"},
    {"lbl_calibration_weight_input", "1500| кг"},
    {"lbl_calibration_result_counter", "65535"},
    {"lbl_selected_model_value", "ВР4900-15.5"},
    {"lbl_selected_serial_number_value", "12345678"},
};

// Each selector of the sheet: "#pb_tare:pressed", "#sa_connections QScrollBar:vertical".
QStringList selectorsOf(QString sheet) {
    sheet.remove(QRegularExpression("/\\*.*?\\*/", QRegularExpression::DotMatchesEverythingOption));
    QStringList selectors;
    for (auto it = QRegularExpression("([^{}]+)\\{[^}]*\\}").globalMatch(sheet); it.hasNext();)
        for (const QString& selector : it.next().captured(1).split(',')) selectors << selector.trimmed();
    return selectors;
}

QString objectNameOf(const QString& selector) {
    return QRegularExpression("^#(\\w+)").match(selector).captured(1);
}

// A renamed widget ("pb_selected_check_connected", "w_header_desktop_main") has the rectangle of
// its form name.
QRect tableRectangle(QString name, const std::vector<Placement>& table) {
    for (; !name.isEmpty(); name.truncate(qMax(0, int(name.lastIndexOf('_'))))) {
        const QRect rect = rectangleOf(table, QLatin1StringView(name.toLatin1()));
        if (rect.isValid()) return rect;
    }
    return {};
}

bool fits(QWidget* widget) {
    widget->ensurePolished();
    if (auto* label = qobject_cast<QLabel*>(widget); label != nullptr && label->wordWrap())
        return label->heightForWidth(label->width()) <= label->height();
    if (qobject_cast<QLabel*>(widget) == nullptr && qobject_cast<QAbstractButton*>(widget) == nullptr) return true;
    const QSize hint = widget->sizeHint();
    return hint.width() <= widget->width() && hint.height() <= widget->height();
}

// A container's widgets, and those of the plain frames inside it; a scroll area's or a combo box's
// own parts are Qt's.
QList<QWidget*> framed(QWidget* container) {
    QList<QWidget*> widgets;
    for (QWidget* widget : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        widgets << widget;
        if (widget->metaObject() == &QWidget::staticMetaObject) widgets << framed(widget);
    }
    return widgets;
}

// Each widget with a rectangle sits there, inside its parent, shows its text whole and keeps clear
// of its shown siblings.
void checkPlaced(const QList<QWidget*>& widgets, const std::vector<Placement>& table) {
    for (QWidget* widget : widgets) {
        const QString name = widget->objectName();
        const QRect rect = tableRectangle(name, table);
        QVERIFY2(rect.isValid(), qPrintable(name + " has no rectangle"));
        QCOMPARE(widget->geometry(), rect);
        QVERIFY2(widget->parentWidget()->rect().contains(rect), qPrintable(name + " leaves its parent"));
        QVERIFY2(fits(widget), qPrintable(name + " is clipped"));
        for (const QWidget* other : widgets) {
            if (other->parentWidget() != widget->parentWidget() || other == widget) continue;
            if (widget->isHidden() || other->isHidden()) continue;
            const QRect a = widget->geometry(), b = other->geometry();
            QVERIFY2(!a.intersects(b) || a.contains(b) || b.contains(a),
                     qPrintable(name + " overlaps " + other->objectName()));
        }
    }
}

}  // namespace

class LookWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<MainWindow> window;
    WindowMode mode = WindowMode::Desktop;

    template <typename Widget = QWidget>
    Widget* child(const QString& name) {
        auto* widget = window->findChild<Widget*>(name);
        if (widget == nullptr) qFatal("no widget %s", qPrintable(name));
        return widget;
    }

private slots:
    // One window for the suite: it opens on the port selection page, with no ports to list.
    void initTestCase() {
        mode = primaryScreenMode();
        window = std::make_unique<MainWindow>(std::string(), [] { return QStringList(); });
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanupTestCase() { window.reset(); }

    void theFrameFollowsTheScreen() {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QVERIFY(window->windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(window->size(), windowSize(mode));
        auto* background = child("w_background");
        const bool desktop = mode == WindowMode::Desktop;
        QCOMPARE(window->windowState().testFlag(Qt::WindowFullScreen), !desktop);
        QCOMPARE(qobject_cast<QGraphicsDropShadowEffect*>(background->graphicsEffect()) != nullptr, desktop);
        QCOMPARE(background->geometry(), desktop ? QRect(10, 10, 800, 600) : screen);
        if (desktop) QCOMPARE(window->geometry().center(), screen.center());
        QCOMPARE(child("pb_minimize")->isVisible(), desktop);
        // The pages fill the window below the header.
        const QWidget* header = window->findChildren<QWidget*>(QRegularExpression("^w_header")).value(0);
        QCOMPARE(child("sw_window_manager")->geometry(), QRect(QPoint(0, header->height()), pageArea(mode)));
    }

    void theSheetAndTheWidgetsAgreeOnNames() {
        const QString sheet = window->styleSheet();
        QCOMPARE(sheet, styleSheet(mode));
        QTest::failOnWarning(QRegularExpression("stylesheet"));
        QWidget parsed;
        parsed.setStyleSheet(sheet);
        parsed.ensurePolished();

        info_dialog about(mode == WindowMode::Desktop, usesSmallLook(mode), window.get());
        QSet<QString> names(kStateNames.begin(), kStateNames.end());
        for (const char* background : kPageBackgrounds) names << background << QString(background) + "_desktop";
        for (const QObject* object : window->findChildren<QObject*>()) names.insert(object->objectName());
        names.remove(QString());  // a selector without an object name
        const QStringList selectors = selectorsOf(sheet);
        for (const QString& selector : selectors)
            QVERIFY2(names.contains(objectNameOf(selector)), qPrintable(selector + " selects no widget"));
        for (const QString& name : kStateNames)
            QVERIFY2(selectors.contains("#" + name), qPrintable(name + " has no rule"));
    }

    // The faces are embedded for these weights; sizes are the sheet's own.
    void everyTextRuleNamesInterDisplayWithinTheWeights() {
        const QString sheet = window->styleSheet();
        for (auto it = QRegularExpression("([^{}]+)\\{([^}]*)\\}").globalMatch(sheet); it.hasNext();) {
            const auto rule = it.next();
            if (!rule.captured(2).contains("font-size")) continue;
            QVERIFY2(rule.captured(2).contains(QString("font-family: \"%1\";").arg(kFontFamily)),
                     qPrintable(rule.captured(1)));
            const int weight = QRegularExpression("font-weight:\\s*(\\d+)").match(rule.captured(2)).captured(1).toInt();
            QVERIFY2(weight >= 300 && weight <= 800, qPrintable(rule.captured(1)));
        }
    }

    void everyPageWidgetIsPlacedUnclippedAndApart() {
        for (const auto& [name, text] : kRunTimeTexts) child<QLabel>(name)->setText(text);
        for (const char* name : kPageBackgrounds) {
            QWidget* background = child(QString(name) + (mode == WindowMode::Desktop ? "_desktop" : ""));
            QCOMPARE(background->size(), pageArea(mode));
            checkPlaced(framed(background), pageRectangles(mode));
        }
        // Made at run time: a scale in the list and a row of the information table.
        QPushButton scale("Модель: ВР4900-15.5 (12345678) - /dev/ttyUSB10", child("sawc_connections"));
        styleDeviceButton(&scale, mode, true);
        QCOMPARE(scale.size(), deviceButtonSize(mode));
        QVERIFY(fits(&scale));
        QWidget row(child("sawc_parameters"));
        row.setObjectName("w_parameters_row_odd");
        row.resize(rectangleOf(pageRectangles(mode), QLatin1StringView("w_parameters_row")).size());
        QLabel name("Идентификационное наименование внутр. ПО", &row), value("CAS-K ProV1.23", &row);
        name.setObjectName("lbl_parameters_row_name");
        value.setObjectName("lbl_parameters_row_value");
        name.setWordWrap(true);
        placeParameterRow(&row, mode);
        checkPlaced({&name, &value}, pageRectangles(mode));
    }

    void theAboutDialogCentresItsCardAndShowsItsTextsWhole() {
        info_dialog about(mode == WindowMode::Desktop, usesSmallLook(mode), window.get());
        QCOMPARE(about.size(), windowSize(mode));
        auto* card = about.findChild<QWidget*>("w_background");
        QCOMPARE(card->geometry().center(), about.rect().center());
        checkPlaced(framed(card), dialogRectangles(mode));
    }

    // The loader's header is blue with white buttons; the minimise button shows on the desktop only,
    // and the menu button takes its place elsewhere.
    void theHeaderSwitchesItsLook() {
        const QString desktop = mode == WindowMode::Desktop ? "_desktop" : "";
        applyHeaderLook(*window, mode, HeaderLook::Loader);
        QVERIFY(window->findChild<QWidget*>("w_header" + desktop + "_loader"));
        QVERIFY(window->findChild<QWidget*>("pb_exit_loader"));
        applyHeaderLook(*window, mode, HeaderLook::Main);
        QVERIFY(window->findChild<QWidget*>("w_header" + desktop + "_main"));
        auto* minimize = child<QPushButton>("pb_minimize");
        QCOMPARE(minimize->isHidden(), mode != WindowMode::Desktop);
        QCOMPARE(minimize->iconSize(), iconSize("minimize", mode));
        const QRect menu = child("pb_menu")->geometry();
        QCOMPARE(menu, menuButtonRectangle(mode, mode == WindowMode::Desktop));
        QVERIFY(!menu.intersects(child("pb_exit")->geometry()));
        QVERIFY(!menu.intersects(minimize->geometry()) || minimize->isHidden());
        QVERIFY(!child<QLabel>("lbl_logo")->pixmap().isNull());
    }

    void aRenamedWidgetTakesTheLookOfItsNewName() {
        auto* status = child<QLabel>("lbl_selected_status");
        const QColor before = status->palette().color(QPalette::WindowText);
        setObjectNameStyled(status, "lbl_selected_status_ready");
        status->ensurePolished();
        QVERIFY(status->palette().color(QPalette::WindowText) != before);
        setObjectNameStyled(status, "lbl_selected_status");
    }

    void aLoneSearchRepeatKeySpansTheRow() {
        const QRect select = child("pb_select_device")->geometry();
        placeSearchRepeat(*window, mode, false);
        const QRect half = child("pb_search_repeat")->geometry();
        QVERIFY(!half.intersects(select));
        placeSearchRepeat(*window, mode, true);
        QCOMPARE(child("pb_search_repeat")->geometry(), QRect(half.topLeft(), select.bottomRight()));
    }

    // The look's own resources: the window modes, the icons and the embedded faces.
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

QTEST_MAIN(LookWindowTest)
#include "look-window-test.moc"
