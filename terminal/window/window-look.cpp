#include "window-look.h"

#include <QGraphicsDropShadowEffect>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>

#include "ui_main-window.h"

namespace weighdesk {

namespace {

// A plain usable look until the full style sheets arrive: white pages, blue keys, red errors.
const char* const kPlainStyle = R"(
QWidget { font-size: 20px; color: rgb(30, 30, 30); }
QWidget#w_background, QStackedWidget#sw_window_manager > QWidget { background: white; }
QWidget#w_header_desktop_main, QWidget#w_header_main { background: white; border-bottom: 1px solid rgb(220, 220, 220); }
QWidget#w_header_desktop_loader, QWidget#w_header_loader { background: rgb(27, 131, 194); }
QWidget#w_header_desktop_loader QLabel, QWidget#w_header_loader QLabel { color: white; font-weight: bold; }
QLabel#lbl_logo { color: rgb(27, 131, 194); font-weight: bold; font-size: 28px; }
QPushButton { background: rgb(27, 131, 194); color: white; border: none; border-radius: 8px; min-height: 48px; padding: 0 16px; }
QPushButton:disabled, QPushButton#pb_selected_apply_disabled, QPushButton#pb_selected_autosearch_disabled {
    background: rgba(147, 147, 147, 0.3); color: rgb(147, 147, 147); }
QPushButton#pb_menu, QPushButton#pb_minimize, QPushButton#pb_exit { background: rgba(147, 147, 147, 0.1); color: rgb(30, 30, 30); }
QPushButton#interface_button { background: rgba(147, 147, 147, 0.1); color: rgb(30, 30, 30); text-align: left; }
QPushButton#interface_button_selected { background: rgba(27, 131, 194, 0.3); color: rgb(8, 99, 155); text-align: left; }
QWidget#w_error_message { background: rgb(222, 50, 43); }
QWidget#w_error_message QLabel { color: white; }
QPushButton#pb_close_error_message { background: transparent; min-height: 0; padding: 0; }
QLabel#lbl_net_weight { color: rgb(8, 99, 155); font-size: 128px; font-weight: bold; }
QLabel#lbl_net_weight_error, QLabel#lbl_selected_status { color: rgb(222, 50, 43); font-size: 64px; }
QLabel#lbl_selected_status, QLabel#lbl_selected_status_connecting { font-size: 20px; color: rgb(147, 147, 147); }
QLabel#lbl_selected_status_ready, QLabel#lbl_serial_number { color: rgb(8, 99, 155); }
QLabel#lbl_loader_logo { color: rgb(27, 131, 194); font-size: 48px; font-weight: bold; }
QProgressBar { border: none; background: rgba(147, 147, 147, 0.1); height: 8px; text-align: center; }
QProgressBar::chunk { background: rgb(27, 131, 194); }
)";

QString modeSuffix(WindowMode mode) {
    return mode == WindowMode::Desktop ? QStringLiteral("_desktop") : QString();
}

void nameBackgrounds(Ui::MainWindow& ui, WindowMode mode) {
    QWidget* const backgrounds[] = {ui.w_loader_background,
                                    ui.w_devices_background,
                                    ui.w_search_background,
                                    ui.w_main_background,
                                    ui.w_menu_background,
                                    ui.w_calibration_background,
                                    ui.w_calibration_zero_background,
                                    ui.w_calibration_weight_background,
                                    ui.w_calibration_result_background,
                                    ui.w_info_background,
                                    ui.w_selected_background};
    for (QWidget* background : backgrounds) renameWidget(background, background->objectName() + modeSuffix(mode));
}

void placeDesktopWindow(QMainWindow& window, Ui::MainWindow& ui) {
    window.resize(820, 620);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(0, 0, 820, 620);
        frame.moveCenter(screen->geometry().center());
        window.move(frame.topLeft());
    }
    ui.centralwidget->setGeometry(0, 0, 820, 600);
    ui.w_background->setGeometry(10, 10, 800, 600);
    auto* shadow = new QGraphicsDropShadowEffect(ui.w_background);
    shadow->setOffset(0, 0);
    shadow->setColor(QColor(165, 165, 165, 255));
    shadow->setBlurRadius(10);
    ui.w_background->setGraphicsEffect(shadow);
}

void placeFullScreen(QMainWindow& window, Ui::MainWindow& ui, WindowMode mode) {
    const bool portrait = mode == WindowMode::PortraitScreen;
    const QRect area = portrait ? QRect(0, 0, 1080, 1920) : QRect(0, 0, 800, 600);
    ui.centralwidget->setGeometry(area);
    ui.w_background->setGeometry(area);
    ui.w_header->setGeometry(0, 0, area.width(), portrait ? 160 : 80);
    ui.sw_window_manager->setGeometry(portrait ? QRect(0, 160, 1080, 1760) : QRect(0, 80, 800, 520));
    if (portrait) {
        ui.w_error_message->setGeometry(0, 160, 1080, 120);
        ui.lbl_error_messages->setGeometry(48, 38, 900, 43);
        ui.pb_close_error_message->setGeometry(956, 15, 90, 90);
    }
    window.setWindowState(Qt::WindowFullScreen);
}

}  // namespace

WindowMode windowModeFor(const QSize& screen) {
    if (screen == QSize(800, 600)) return WindowMode::SmallScreen;
    if (screen == QSize(1080, 1920)) return WindowMode::PortraitScreen;
    return WindowMode::Desktop;
}

void renameWidget(QWidget* widget, const QString& name) {
    widget->setObjectName(name);
    widget->setStyleSheet(QString());
}

void applyWindowLook(QMainWindow& window, Ui::MainWindow& ui, WindowMode mode) {
    window.setWindowFlag(Qt::FramelessWindowHint);
    if (mode == WindowMode::Desktop) {
        window.setAttribute(Qt::WA_TranslucentBackground);
        placeDesktopWindow(window, ui);
    } else {
        placeFullScreen(window, ui, mode);
    }
    window.setStyleSheet(QString::fromUtf8(kPlainStyle));
    ui.w_error_message->hide();
    applyHeaderLook(ui, mode, HeaderLook::Loader);
    nameBackgrounds(ui, mode);
}

void applyHeaderLook(Ui::MainWindow& ui, WindowMode mode, HeaderLook look) {
    const bool main = look == HeaderLook::Main;
    renameWidget(ui.w_header, QStringLiteral("w_header%1%2").arg(modeSuffix(mode), main ? "_main" : "_loader"));
    renameWidget(ui.pb_minimize, main ? "pb_minimize" : "pb_minimize_loader");
    renameWidget(ui.pb_exit, main ? "pb_exit" : "pb_exit_loader");
    ui.pb_minimize->setVisible(mode == WindowMode::Desktop);
}

}  // namespace weighdesk
