#include "look-tree.h"

#include <QComboBox>
#include <QHash>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "page-rectangles.h"

namespace look_test {

using namespace weighdesk::look;

namespace {

const char* const kTexts[][2] = {
    {"lbl_loader_logo", "NORVELL"},
    {"lbl_loader_header", "Соединение с весами устанавливается (/dev/ttyUSB10)"},
    {"lbl_devices_header", "ПОДКЛЮЧЕНИЕ"},
    {"lbl_devices_not_found", "Весы не обнаружены"},
    {"pb_select_device", "Продолжить"},
    {"pb_search_repeat", "Повторить поиск"},
    {"lbl_search_header", "ПОДКЛЮЧЕНИЕ"},
    {"lbl_search_progress", "Поиск весов..."},
    {"pb_search_cancel", "Отменить"},
    {"lbl_scale_name", "Весы:"},
    {"lbl_serial_number", "VWRT46"},
    {"lbl_net_weight", "-15.000 кг"},
    {"lbl_net_weight_error", "Перегруз"},
    {"lbl_tare_weight", "Tare: 15.000 кг"},
    {"pb_tare", "-Т-"},
    {"pb_zero", "-0-"},
    {"pb_about", "О программе"},
    {"pb_info", "Информация \nо весах"},
    {"pb_calibration", "Калибровка"},
    {"pb_back_to_main", "Назад"},
    {"lbl_calibration_header", "Калибровка"},
    {"lbl_calibration_hint", "Для доступа необходимо ввести пароль"},
    {"lbl_calibration_input", "**********|"},
    {"pb_calibration_back_to_menu", "Назад"},
    {"pb_calibration_begin", "Далее"},
    {"lbl_calibration_zero_header", "КАЛИБРОВКА ПРИ НУЛЕВОЙ НАГРУЗКЕ"},
    {"lbl_calibration_zero_hint", "Разгрузите весовую платформу!"},
    {"pb_calibration_zero_cancel", "Назад"},
    {"pb_calibration_zero", "Далее"},
    {"lbl_calibration_weight_header", "КАЛИБРОВКА ПРИ ЦЕНТРАЛЬНОЙ НАГРУЗКЕ"},
    {"lbl_calibration_weight_hint", "Установите гирю в центр платформы"},
    {"lbl_calibration_weight_prompt", "Введите точную массу гири"},
    {"lbl_calibration_weight_input", "1500| кг"},
    {"pb_calibration_weight_cancel", "Назад"},
    {"pb_calibration_weight", "Далее"},
    {"lbl_calibration_result_header", "Калибровка завершена!"},
    {"lbl_calibration_result_text", "Калибровка №"},
    {"lbl_calibration_result_counter", "65535"},
    {"pb_calibration_finish", "Завершить"},
    {"lbl_info_name_head", "Наименование"},
    {"lbl_info_value_head", "Значение"},
    {"pb_info_back_to_menu", "Назад"},
    {"lbl_parameters_row_name", "Идентификационное наименование внутр. ПО"},
    {"lbl_parameters_row_value", "CAS-K ProV1.23"},
    {"interface_button", "Модель: ВР4900-15.5 (12345678) - /dev/ttyUSB10"},
    {"lbl_selected_header", "ПОДКЛЮЧЕНИЕ"},
    {"pb_selected_check", "Установить соединение"},
    {"lbl_selected_status", "Соединение с весами устанавливается (/dev/ttyUSB10)"},
    {"lbl_selected_model", "Модель:"},
    {"lbl_selected_model_value", "ВР4900-15.5"},
    {"lbl_selected_serial_number", "Серийный номер:"},
    {"lbl_selected_serial_number_value", "12345678"},
    {"pb_selected_autosearch", "Поиск весов"},
    {"pb_selected_apply", "Продолжить"},
    {"lbl_header", "Терминал Z9"},
    {"pb_close", "Закрыть"},
    {"lbl_id_name", "Идентификационное наименование внешн. ПО:"},
    {"lbl_id", "Терминал"},
    {"lbl_version_name", "Версия внешн. ПО"},
    {"lbl_version", "1.0.4"},
    {"lbl_crc_name", "Цифровой идентификатор ПО (CRC, версии 1.x.y):"},
    {"lbl_crc", "3f2a91c7"},
    {"lbl_site", "Наш сайт: norvell.example"},
    {"lbl_faq", "База знаний: norvell.example/faq"},
    {"lbl_doc", "Документация: norvell.example/doc"},
    {"lbl_support", "Техподдержка: support@norvell.example"},
    {"lbl_license", "Лицензионное соглашение"},
    {"lbl_copyright", "Авторское право © NORVELL, 2026"},
};

const QHash<QString, QString>& texts() {
    static const QHash<QString, QString> table = [] {
        QHash<QString, QString> byName;
        for (const auto& [name, text] : kTexts) byName.insert(name, text);
        return byName;
    }();
    return table;
}

QWidget* makeWidget(const QString& name, QWidget* parent) {
    QWidget* widget = nullptr;
    if (name.startsWith("lbl_")) {
        widget = new QLabel(longestText(name), parent);
    } else if (name.startsWith("pb_") || name.startsWith("interface_button")) {
        widget = new QPushButton(longestText(name), parent);
    } else if (name.startsWith("progress_")) {
        widget = new QProgressBar(parent);
    } else if (name.startsWith("cb_")) {
        auto* combo = new QComboBox(parent);
        combo->addItem("/dev/ttyUSB10");
        widget = combo;
    } else if (name.startsWith("sa_")) {
        auto* area = new QScrollArea(parent);
        auto* contents = new QWidget();
        contents->setObjectName(QString(name).replace("sa_", "sawc_"));
        area->setWidget(contents);
        area->setWidgetResizable(true);
        widget = area;
    } else {
        widget = new QWidget(parent);
    }
    widget->setObjectName(name);
    if (parent->layout() != nullptr) parent->layout()->addWidget(widget);
    return widget;
}

// The tables list frames before their contents, so each container exists when it is needed.
// A scroll area's rows go into its contents widget, as the window's device list and rows do.
void addFromTable(QWidget& root, const std::vector<Placement>& table) {
    for (const Placement& placement : table) {
        if (root.findChild<QWidget*>(QString(placement.name)) != nullptr) continue;
        auto* parent = root.findChild<QWidget*>(QString(placement.container));
        if (parent == nullptr && root.objectName() == QString(placement.container)) parent = &root;
        if (auto* area = qobject_cast<QScrollArea*>(parent)) parent = area->widget();
        if (parent == nullptr) continue;
        if (parent->layout() == nullptr) new QVBoxLayout(parent);
        makeWidget(QString(placement.name), parent);
    }
}

}  // namespace

QString longestText(const QString& objectName) {
    if (objectName.startsWith("pb_password_") || objectName.startsWith("pb_weight_"))
        return objectName.endsWith("_dot") ? "00" : objectName.endsWith("_erase") ? "<" : objectName.right(1);
    return texts().value(objectName);
}

QStringList stateDependentNames() {
    QStringList names = {"pb_selected_apply_enabled",
                         "pb_selected_apply_disabled",
                         "pb_selected_check_connected",
                         "pb_selected_check_cancel",
                         "pb_selected_autosearch",
                         "pb_selected_autosearch_disabled",
                         "lbl_selected_status",
                         "lbl_selected_status_connecting",
                         "lbl_selected_status_ready",
                         "interface_button",
                         "interface_button_selected",
                         "w_parameters_row_odd",
                         "w_parameters_row_even",
                         "w_parameters_row_odd_last",
                         "w_parameters_row_even_last",
                         "w_blackout_shadow",
                         "w_header_main",
                         "w_header_loader",
                         "w_header_desktop_main",
                         "w_header_desktop_loader",
                         "pb_minimize",
                         "pb_minimize_loader",
                         "pb_exit",
                         "pb_exit_loader"};
    for (const char* background : kPageBackgrounds) names << background << QString(background) + "_desktop";
    return names;
}

std::unique_ptr<QMainWindow> buildWindow() {
    auto window = std::make_unique<QMainWindow>();
    window->setObjectName("MainWindow");
    auto* central = new QWidget(window.get());
    central->setObjectName("centralwidget");
    window->setCentralWidget(central);
    auto* background = makeWidget("w_background", central);
    makeWidget("w_header", background);
    auto* stack = new QStackedWidget(background);
    stack->setObjectName("sw_window_manager");
    auto* strip = makeWidget("w_error_message", background);
    makeWidget("lbl_error_messages", strip);
    makeWidget("pb_close_error_message", strip);
    addFromTable(*window, windowRectangles(WindowMode::SmallScreen));
    for (const char* name : kPageBackgrounds) {
        auto* page = new QWidget();
        page->setObjectName("page_" + QString(name).mid(2).remove("_background"));
        new QVBoxLayout(page);
        makeWidget(name, page);
        stack->addWidget(page);
    }
    addFromTable(*window, pageRectangles(WindowMode::SmallScreen));
    window->findChild<QWidget*>("w_parameters_row")->setObjectName("w_parameters_row_odd");
    return window;
}

std::unique_ptr<QDialog> buildAboutDialog() {
    auto dialog = std::make_unique<QDialog>();
    dialog->setObjectName("info_dialog");
    new QVBoxLayout(dialog.get());
    makeWidget("w_blackout", dialog.get());
    addFromTable(*dialog, dialogRectangles(WindowMode::SmallScreen));
    return dialog;
}

}  // namespace look_test
