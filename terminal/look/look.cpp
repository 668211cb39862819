#include "look.h"

#include <QDialog>
#include <QGraphicsDropShadowEffect>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStackedLayout>

namespace weighdesk::look {

namespace {

struct IconOf {
    const char* widget;
    const char* icon;
};

// Icons that do not change with a state: the marks are shown or hidden, never redrawn.
constexpr IconOf kPageIcons[] = {
    {"lbl_mark_stable", "stab"},
    {"lbl_mark_unstable", "unstab"},
    {"lbl_mark_zero", "zero"},
    {"lbl_mark_non_zero", "unzero"},
    {"pb_calibration_back_to_menu", "back"},
    {"pb_calibration_zero_cancel", "back"},
    {"pb_calibration_weight_cancel", "back"},
    {"pb_back_to_main", "back_white"},
    {"pb_info_back_to_menu", "back_white"},
    {"pb_close_error_message", "close_white"},
};

QString desktopSuffix(WindowMode mode) {
    return mode == WindowMode::Desktop ? QStringLiteral("_desktop") : QString();
}

// An absolute rectangle holds only outside a layout; the stacked widget's and the main window's
// own layouts stay.
void releaseFromLayout(QWidget* widget) {
    QWidget* parent = widget->parentWidget();
    if (parent == nullptr || parent->layout() == nullptr) return;
    if (qobject_cast<QStackedLayout*>(parent->layout()) != nullptr) return;
    if (qobject_cast<QMainWindow*>(parent) != nullptr) return;
    delete parent->layout();
}

void place(QWidget* widget, const QRect& rect) {
    if (widget == nullptr) return;
    releaseFromLayout(widget);
    widget->setGeometry(rect);
}

template <typename Widget>
Widget* findByPattern(QWidget& root, const QString& pattern) {
    return root.findChildren<Widget*>(QRegularExpression(pattern)).value(0);
}

// The form's name, or the name the widget took for its state ("pb_selected_check_connected",
// "pb_exit_loader").
QWidget* findPlaced(QWidget& root, QLatin1StringView name) {
    if (auto* widget = root.findChild<QWidget*>(QString(name))) return widget;
    static const QString stateSuffixes =
        QStringLiteral("(_enabled|_disabled|_connected|_cancel|_connecting|_ready|_loader)");
    return findByPattern<QWidget>(root, QStringLiteral("^%1%2$").arg(QString(name), stateSuffixes));
}

// Widgets made at run time (device buttons, parameter rows) sit in containers other than the
// table's and are placed by their own helpers, not here.
void placeAll(QWidget& root, const std::vector<Placement>& table) {
    for (const Placement& placement : table) {
        QWidget* widget = findPlaced(root, placement.name);
        if (widget == nullptr || widget->parentWidget() == nullptr) continue;
        if (!widget->parentWidget()->objectName().startsWith(QString(placement.container))) continue;
        place(widget, placement.rect);
    }
}

void placeBackgrounds(QWidget& window, WindowMode mode) {
    for (const char* name : kPageBackgrounds) {
        const QString base = QString::fromLatin1(name);
        auto* background = findByPattern<QWidget>(window, QStringLiteral("^%1(_desktop)?$").arg(base));
        if (background == nullptr) continue;
        place(background, QRect(QPoint(0, 0), pageArea(mode)));
        setObjectNameStyled(background, base + desktopSuffix(mode));
    }
}

void placeWindow(QMainWindow& window, WindowMode mode) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (mode != WindowMode::Desktop) {
        window.setGeometry(QRect(QPoint(0, 0), windowSize(mode)));
        window.setWindowState(Qt::WindowFullScreen);
        return;
    }
    window.setAttribute(Qt::WA_TranslucentBackground);
    QRect frame(QPoint(0, 0), windowSize(mode));
    window.setGeometry(frame);
    if (screen != nullptr) frame.moveCenter(screen->geometry().center());
    window.move(frame.topLeft());
    if (auto* background = window.findChild<QWidget*>(QStringLiteral("w_background"))) {
        auto* shadow = new QGraphicsDropShadowEffect(background);
        shadow->setOffset(0, 0);
        shadow->setColor(QColor(165, 165, 165, 255));
        shadow->setBlurRadius(10);
        background->setGraphicsEffect(shadow);
    }
}

void setIconByName(QWidget& window, const QString& widgetName, const QString& icon, WindowMode mode) {
    QWidget* widget = window.findChild<QWidget*>(widgetName);
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) setIcon(button, icon, mode);
    if (auto* label = qobject_cast<QLabel*>(widget)) setIcon(label, icon, mode);
}

void setPageIcons(QWidget& window, WindowMode mode) {
    for (const IconOf& entry : kPageIcons) setIconByName(window, entry.widget, entry.icon, mode);
    if (auto* close = window.findChild<QPushButton*>(QStringLiteral("pb_close_error_message"))) close->setText({});
    if (auto* strip = window.findChild<QWidget*>(QStringLiteral("w_error_message"))) strip->hide();
}

// One header button in one look: its object name, icon, and no text beside the icon.
void styleHeaderButton(QPushButton* button, const QString& name, const QString& icon, WindowMode mode) {
    if (button == nullptr) return;
    setObjectNameStyled(button, name);
    setIcon(button, icon, mode);
    button->setText({});
}

}  // namespace

void apply(QMainWindow& window, WindowMode mode) {
    registerFonts();
    window.setWindowFlag(Qt::FramelessWindowHint);
    placeAll(window, windowRectangles(mode));
    placeAll(window, pageRectangles(mode));
    placeBackgrounds(window, mode);
    placeWindow(window, mode);
    setPageIcons(window, mode);
    applyHeaderLook(window, mode, HeaderLook::Loader);
    window.setStyleSheet(styleSheet(mode));
}

void applyHeaderLook(QWidget& window, WindowMode mode, HeaderLook look) {
    const bool main = look == HeaderLook::Main;
    const QString lookSuffix = main ? QStringLiteral("_main") : QStringLiteral("_loader");
    if (auto* header = findByPattern<QWidget>(window, QStringLiteral("^w_header(_desktop)?(_main|_loader)?$")))
        setObjectNameStyled(header, QStringLiteral("w_header%1%2").arg(desktopSuffix(mode), lookSuffix));
    setIconByName(window, QStringLiteral("lbl_logo"), main ? "logo" : "logo_white", mode);

    const QString loaderSuffix = main ? QString() : QStringLiteral("_loader");
    auto* minimize = findByPattern<QPushButton>(window, QStringLiteral("^pb_minimize(_loader)?$"));
    styleHeaderButton(minimize, "pb_minimize" + loaderSuffix, main ? "minimize" : "minimize_white", mode);
    if (minimize != nullptr) minimize->setVisible(mode == WindowMode::Desktop);
    auto* exit = findByPattern<QPushButton>(window, QStringLiteral("^pb_exit(_loader)?$"));
    styleHeaderButton(exit, "pb_exit" + loaderSuffix, main ? "close" : "close_white", mode);

    if (auto* menu = window.findChild<QPushButton*>(QStringLiteral("pb_menu"))) {
        setIcon(menu, QStringLiteral("menu"), mode);
        menu->setText(QStringLiteral("  Меню"));
        menu->setGeometry(menuButtonRectangle(mode, mode == WindowMode::Desktop));
    }
}

void placeSearchRepeat(QWidget& window, WindowMode mode, bool alone) {
    place(window.findChild<QWidget*>(QStringLiteral("pb_search_repeat")), searchRepeatRectangle(mode, alone));
}

void styleDeviceButton(QPushButton* button, WindowMode mode, bool selected) {
    if (button == nullptr) return;
    setObjectNameStyled(button,
                        selected ? QStringLiteral("interface_button_selected") : QStringLiteral("interface_button"));
    setIcon(button, selected ? QStringLiteral("scale_selected") : QStringLiteral("scale"), mode);
    const QSize size = deviceButtonSize(mode);
    button->resize(size);
    button->setMinimumHeight(size.height());
}

void placeParameterRow(QWidget* row, WindowMode mode) {
    if (row == nullptr) return;
    const std::vector<Placement>& table = pageRectangles(mode);
    row->setMinimumHeight(rectangleOf(table, QLatin1StringView("w_parameters_row")).height());
    for (const char* name : {"lbl_parameters_row_name", "lbl_parameters_row_value"})
        place(row->findChild<QWidget*>(QString::fromLatin1(name)), rectangleOf(table, QLatin1StringView(name)));
}

void placeAboutDialog(QDialog& dialog, WindowMode mode) {
    const QRect area(QPoint(0, 0), windowSize(mode));
    dialog.resize(area.size());
    place(findByPattern<QWidget>(dialog, QStringLiteral("^w_blackout(_shadow)?$")), area);
    const std::vector<Placement>& table = dialogRectangles(mode);
    QRect card(QPoint(0, 0), rectangleOf(table, QLatin1StringView("w_background")).size());
    card.moveCenter(area.center());
    place(dialog.findChild<QWidget*>(QStringLiteral("w_background")), card);
    for (const Placement& placement : table) {
        if (placement.container == QLatin1StringView("w_background"))
            place(dialog.findChild<QWidget*>(QString(placement.name)), placement.rect);
    }
}

}  // namespace weighdesk::look
