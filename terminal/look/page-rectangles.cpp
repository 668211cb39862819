#include "page-rectangles.h"

#include <algorithm>
#include <iterator>

namespace weighdesk::look {

namespace {

using L = QLatin1StringView;

// Both page areas share one grid: 56 px side margins, a row of full-width or half-width keys
// along the bottom edge, headers at the top; the larger area gives the fingers and the eyes of
// a portrait panel bigger keys and taller rows rather than more content.

constexpr const char* kPasswordKeys[] = {"pb_password_1", "pb_password_2",   "pb_password_3", "pb_password_4",
                                         "pb_password_5", "pb_password_6",   "pb_password_7", "pb_password_8",
                                         "pb_password_9", "pb_password_dot", "pb_password_0", "pb_password_erase"};
constexpr const char* kWeightKeys[] = {"pb_weight_1", "pb_weight_2",   "pb_weight_3", "pb_weight_4",
                                       "pb_weight_5", "pb_weight_6",   "pb_weight_7", "pb_weight_8",
                                       "pb_weight_9", "pb_weight_dot", "pb_weight_0", "pb_weight_erase"};

struct KeypadGrid {
    QPoint origin;
    QSize key;
    QSize gap;
};

// The keypad reads like a phone's: 1 2 3 / 4 5 6 / 7 8 9 / 00 0 erase.
void addKeypad(std::vector<Placement>& table, L container, const char* const (&keys)[12], KeypadGrid grid) {
    for (int index = 0; index < 12; ++index) {
        const int column = index % 3;
        const int row = index / 3;
        const QPoint topLeft = grid.origin + QPoint(column * (grid.key.width() + grid.gap.width()),
                                                    row * (grid.key.height() + grid.gap.height()));
        table.push_back({container, L(keys[index]), QRect(topLeft, grid.key)});
    }
}

const Placement kSmallPages[] = {
    {L("w_loader_background"), L("lbl_loader_logo"), {150, 120, 500, 100}},
    {L("w_loader_background"), L("lbl_loader_header"), {56, 260, 688, 40}},
    {L("w_loader_background"), L("progress_loader"), {56, 320, 688, 12}},

    {L("w_devices_background"), L("lbl_devices_header"), {56, 24, 688, 48}},
    {L("w_devices_background"), L("sa_connections"), {56, 88, 688, 304}},
    {L("w_devices_background"), L("lbl_devices_not_found"), {56, 200, 688, 48}},
    {L("w_devices_background"), L("pb_search_repeat"), {56, 416, 332, 80}},
    {L("w_devices_background"), L("pb_select_device"), {412, 416, 332, 80}},
    {L("sa_connections"), L("interface_button"), {0, 0, 622, 56}},

    {L("w_search_background"), L("lbl_search_header"), {56, 24, 688, 48}},
    {L("w_search_background"), L("lbl_search_progress"), {56, 200, 688, 40}},
    {L("w_search_background"), L("progress_search"), {56, 260, 688, 12}},
    {L("w_search_background"), L("pb_search_cancel"), {56, 416, 688, 80}},

    {L("w_main_background"), L("lbl_scale_name"), {56, 24, 96, 48}},
    {L("w_main_background"), L("lbl_serial_number"), {160, 24, 320, 48}},
    {L("w_main_background"), L("lbl_mark_stable"), {600, 28, 64, 40}},
    {L("w_main_background"), L("lbl_mark_unstable"), {600, 28, 64, 40}},
    {L("w_main_background"), L("lbl_mark_zero"), {680, 28, 64, 40}},
    {L("w_main_background"), L("lbl_mark_non_zero"), {680, 28, 64, 40}},
    {L("w_main_background"), L("lbl_net_weight"), {24, 96, 752, 176}},
    {L("w_main_background"), L("lbl_net_weight_error"), {24, 96, 752, 176}},
    {L("w_main_background"), L("w_tare_weight"), {56, 288, 688, 48}},
    {L("w_tare_weight"), L("lbl_tare_weight"), {0, 0, 688, 48}},
    {L("w_main_background"), L("pb_tare"), {56, 376, 332, 120}},
    {L("w_main_background"), L("pb_zero"), {412, 376, 332, 120}},

    {L("w_menu_background"), L("pb_about"), {56, 40, 208, 336}},
    {L("w_menu_background"), L("pb_info"), {296, 40, 208, 336}},
    {L("w_menu_background"), L("pb_calibration"), {536, 40, 208, 336}},
    {L("w_menu_background"), L("pb_back_to_main"), {56, 416, 688, 80}},

    {L("w_calibration_background"), L("lbl_calibration_header"), {56, 24, 688, 40}},
    {L("w_calibration_background"), L("lbl_calibration_hint"), {56, 72, 688, 32}},
    {L("w_calibration_background"), L("lbl_calibration_input"), {56, 128, 340, 80}},
    {L("w_calibration_background"), L("pb_calibration_back_to_menu"), {56, 416, 332, 80}},
    {L("w_calibration_background"), L("pb_calibration_begin"), {412, 416, 332, 80}},

    {L("w_calibration_zero_background"), L("lbl_calibration_zero_header"), {56, 24, 688, 40}},
    {L("w_calibration_zero_background"), L("lbl_calibration_zero_hint"), {56, 200, 688, 56}},
    {L("w_calibration_zero_background"), L("pb_calibration_zero_cancel"), {56, 416, 332, 80}},
    {L("w_calibration_zero_background"), L("pb_calibration_zero"), {412, 416, 332, 80}},

    {L("w_calibration_weight_background"), L("lbl_calibration_weight_header"), {56, 24, 688, 40}},
    {L("w_calibration_weight_background"), L("lbl_calibration_weight_hint"), {56, 72, 688, 32}},
    {L("w_calibration_weight_background"), L("lbl_calibration_weight_prompt"), {56, 128, 340, 32}},
    {L("w_calibration_weight_background"), L("lbl_calibration_weight_input"), {56, 168, 340, 80}},
    {L("w_calibration_weight_background"), L("pb_calibration_weight_cancel"), {56, 416, 332, 80}},
    {L("w_calibration_weight_background"), L("pb_calibration_weight"), {412, 416, 332, 80}},

    {L("w_calibration_result_background"), L("lbl_calibration_result_header"), {56, 150, 688, 56}},
    {L("w_calibration_result_background"), L("lbl_calibration_result_text"), {56, 230, 380, 48}},
    {L("w_calibration_result_background"), L("lbl_calibration_result_counter"), {444, 230, 300, 48}},
    {L("w_calibration_result_background"), L("pb_calibration_finish"), {56, 416, 688, 80}},

    {L("w_info_background"), L("lbl_info_name_head"), {72, 16, 440, 40}},
    {L("w_info_background"), L("lbl_info_value_head"), {528, 16, 216, 40}},
    {L("w_info_background"), L("sa_parameters"), {56, 64, 688, 336}},
    {L("w_info_background"), L("pb_info_back_to_menu"), {56, 416, 688, 80}},
    {L("sa_parameters"), L("w_parameters_row"), {0, 0, 670, 60}},
    {L("w_parameters_row"), L("lbl_parameters_row_name"), {16, 0, 440, 60}},
    {L("w_parameters_row"), L("lbl_parameters_row_value"), {472, 0, 190, 60}},

    {L("w_selected_background"), L("lbl_selected_header"), {56, 24, 688, 48}},
    {L("w_selected_background"), L("cb_selected_port"), {56, 104, 388, 64}},
    {L("w_selected_background"), L("pb_selected_check"), {460, 104, 284, 64}},
    {L("w_selected_background"), L("lbl_selected_status"), {56, 188, 688, 40}},
    {L("w_selected_background"), L("w_selected_data"), {56, 248, 688, 128}},
    {L("w_selected_data"), L("lbl_selected_model"), {24, 12, 220, 48}},
    {L("w_selected_data"), L("lbl_selected_model_value"), {248, 12, 416, 48}},
    {L("w_selected_data"), L("lbl_selected_serial_number"), {24, 68, 220, 48}},
    {L("w_selected_data"), L("lbl_selected_serial_number_value"), {248, 68, 416, 48}},
    {L("w_selected_background"), L("pb_selected_autosearch"), {56, 416, 332, 80}},
    {L("w_selected_background"), L("pb_selected_apply"), {412, 416, 332, 80}},
};

std::vector<Placement> smallPages() {
    std::vector<Placement> table(std::begin(kSmallPages), std::end(kSmallPages));
    addKeypad(table, L("w_calibration_background"), kPasswordKeys, {{420, 128}, {100, 60}, {12, 8}});
    addKeypad(table, L("w_calibration_weight_background"), kWeightKeys, {{420, 128}, {100, 60}, {12, 8}});
    return table;
}

const Placement kLargePages[] = {
    {L("w_loader_background"), L("lbl_loader_logo"), {140, 600, 800, 160}},
    {L("w_loader_background"), L("lbl_loader_header"), {56, 820, 968, 64}},
    {L("w_loader_background"), L("progress_loader"), {56, 920, 968, 20}},

    {L("w_devices_background"), L("lbl_devices_header"), {56, 48, 968, 80}},
    {L("w_devices_background"), L("sa_connections"), {56, 160, 968, 1380}},
    {L("w_devices_background"), L("lbl_devices_not_found"), {56, 760, 968, 64}},
    {L("w_devices_background"), L("pb_search_repeat"), {56, 1572, 472, 120}},
    {L("w_devices_background"), L("pb_select_device"), {552, 1572, 472, 120}},
    {L("sa_connections"), L("interface_button"), {0, 0, 920, 91}},

    {L("w_search_background"), L("lbl_search_header"), {56, 48, 968, 80}},
    {L("w_search_background"), L("lbl_search_progress"), {56, 760, 968, 64}},
    {L("w_search_background"), L("progress_search"), {56, 860, 968, 20}},
    {L("w_search_background"), L("pb_search_cancel"), {56, 1572, 968, 120}},

    {L("w_main_background"), L("lbl_scale_name"), {56, 48, 160, 80}},
    {L("w_main_background"), L("lbl_serial_number"), {224, 48, 480, 80}},
    {L("w_main_background"), L("lbl_mark_stable"), {784, 52, 112, 72}},
    {L("w_main_background"), L("lbl_mark_unstable"), {784, 52, 112, 72}},
    {L("w_main_background"), L("lbl_mark_zero"), {912, 52, 112, 72}},
    {L("w_main_background"), L("lbl_mark_non_zero"), {912, 52, 112, 72}},
    {L("w_main_background"), L("lbl_net_weight"), {24, 440, 1032, 300}},
    {L("w_main_background"), L("lbl_net_weight_error"), {24, 440, 1032, 300}},
    {L("w_main_background"), L("w_tare_weight"), {56, 780, 968, 80}},
    {L("w_tare_weight"), L("lbl_tare_weight"), {0, 0, 968, 80}},
    {L("w_main_background"), L("pb_tare"), {56, 1372, 472, 320}},
    {L("w_main_background"), L("pb_zero"), {552, 1372, 472, 320}},

    {L("w_menu_background"), L("pb_about"), {56, 48, 968, 320}},
    {L("w_menu_background"), L("pb_info"), {56, 400, 968, 320}},
    {L("w_menu_background"), L("pb_calibration"), {56, 752, 968, 320}},
    {L("w_menu_background"), L("pb_back_to_main"), {56, 1572, 968, 120}},

    {L("w_calibration_background"), L("lbl_calibration_header"), {56, 48, 968, 80}},
    {L("w_calibration_background"), L("lbl_calibration_hint"), {56, 144, 968, 56}},
    {L("w_calibration_background"), L("lbl_calibration_input"), {56, 232, 968, 140}},
    {L("w_calibration_background"), L("pb_calibration_back_to_menu"), {56, 1572, 472, 120}},
    {L("w_calibration_background"), L("pb_calibration_begin"), {552, 1572, 472, 120}},

    {L("w_calibration_zero_background"), L("lbl_calibration_zero_header"), {56, 48, 968, 80}},
    {L("w_calibration_zero_background"), L("lbl_calibration_zero_hint"), {56, 760, 968, 80}},
    {L("w_calibration_zero_background"), L("pb_calibration_zero_cancel"), {56, 1572, 472, 120}},
    {L("w_calibration_zero_background"), L("pb_calibration_zero"), {552, 1572, 472, 120}},

    {L("w_calibration_weight_background"), L("lbl_calibration_weight_header"), {56, 48, 968, 80}},
    {L("w_calibration_weight_background"), L("lbl_calibration_weight_hint"), {56, 144, 968, 56}},
    {L("w_calibration_weight_background"), L("lbl_calibration_weight_prompt"), {56, 216, 968, 56}},
    {L("w_calibration_weight_background"), L("lbl_calibration_weight_input"), {56, 292, 968, 140}},
    {L("w_calibration_weight_background"), L("pb_calibration_weight_cancel"), {56, 1572, 472, 120}},
    {L("w_calibration_weight_background"), L("pb_calibration_weight"), {552, 1572, 472, 120}},

    {L("w_calibration_result_background"), L("lbl_calibration_result_header"), {56, 640, 968, 96}},
    {L("w_calibration_result_background"), L("lbl_calibration_result_text"), {56, 760, 560, 72}},
    {L("w_calibration_result_background"), L("lbl_calibration_result_counter"), {632, 760, 392, 72}},
    {L("w_calibration_result_background"), L("pb_calibration_finish"), {56, 1572, 968, 120}},

    {L("w_info_background"), L("lbl_info_name_head"), {80, 48, 600, 64}},
    {L("w_info_background"), L("lbl_info_value_head"), {696, 48, 290, 64}},
    {L("w_info_background"), L("sa_parameters"), {56, 128, 968, 1412}},
    {L("w_info_background"), L("pb_info_back_to_menu"), {56, 1572, 968, 120}},
    {L("sa_parameters"), L("w_parameters_row"), {0, 0, 942, 100}},
    {L("w_parameters_row"), L("lbl_parameters_row_name"), {24, 0, 600, 100}},
    {L("w_parameters_row"), L("lbl_parameters_row_value"), {640, 0, 290, 100}},

    {L("w_selected_background"), L("lbl_selected_header"), {56, 48, 968, 80}},
    {L("w_selected_background"), L("cb_selected_port"), {56, 176, 520, 112}},
    {L("w_selected_background"), L("pb_selected_check"), {600, 176, 424, 112}},
    {L("w_selected_background"), L("lbl_selected_status"), {56, 320, 968, 64}},
    {L("w_selected_background"), L("w_selected_data"), {56, 416, 968, 208}},
    {L("w_selected_data"), L("lbl_selected_model"), {32, 24, 360, 72}},
    {L("w_selected_data"), L("lbl_selected_model_value"), {400, 24, 536, 72}},
    {L("w_selected_data"), L("lbl_selected_serial_number"), {32, 112, 360, 72}},
    {L("w_selected_data"), L("lbl_selected_serial_number_value"), {400, 112, 536, 72}},
    {L("w_selected_background"), L("pb_selected_autosearch"), {56, 1572, 472, 120}},
    {L("w_selected_background"), L("pb_selected_apply"), {552, 1572, 472, 120}},
};

std::vector<Placement> largePages() {
    std::vector<Placement> table(std::begin(kLargePages), std::end(kLargePages));
    addKeypad(table, L("w_calibration_background"), kPasswordKeys, {{56, 420}, {296, 256}, {40, 32}});
    addKeypad(table, L("w_calibration_weight_background"), kWeightKeys, {{56, 480}, {296, 240}, {40, 28}});
    return table;
}

// The header's contents: logo on the left, the buttons on the right, exit in the corner.
void addHeader(std::vector<Placement>& table, bool large) {
    if (large) {
        table.push_back({L("w_header"), L("lbl_logo"), {48, 40, 400, 80}});
        table.push_back({L("w_header"), L("pb_menu"), {600, 40, 256, 80}});
        table.push_back({L("w_header"), L("pb_minimize"), {872, 40, 80, 80}});
        table.push_back({L("w_header"), L("pb_exit"), {968, 40, 80, 80}});
    } else {
        table.push_back({L("w_header"), L("lbl_logo"), {32, 20, 240, 40}});
        table.push_back({L("w_header"), L("pb_menu"), {504, 16, 160, 48}});
        table.push_back({L("w_header"), L("pb_minimize"), {680, 16, 48, 48}});
        table.push_back({L("w_header"), L("pb_exit"), {736, 16, 48, 48}});
    }
}

std::vector<Placement> smallDialog() {
    return {
        {L("info_dialog"), L("w_background"), {0, 0, 600, 500}},
        {L("w_background"), L("lbl_header"), {32, 24, 380, 48}},
        {L("w_background"), L("pb_close"), {424, 24, 144, 48}},
        {L("w_background"), L("lbl_id_name"), {32, 88, 536, 28}},
        {L("w_background"), L("lbl_id"), {32, 116, 536, 28}},
        {L("w_background"), L("lbl_version_name"), {32, 152, 536, 28}},
        {L("w_background"), L("lbl_version"), {32, 180, 536, 28}},
        {L("w_background"), L("lbl_crc_name"), {32, 216, 536, 28}},
        {L("w_background"), L("lbl_crc"), {32, 244, 536, 28}},
        {L("w_background"), L("lbl_site"), {32, 292, 536, 28}},
        {L("w_background"), L("lbl_faq"), {32, 324, 536, 28}},
        {L("w_background"), L("lbl_doc"), {32, 356, 536, 28}},
        {L("w_background"), L("lbl_support"), {32, 388, 536, 28}},
        {L("w_background"), L("lbl_license"), {32, 428, 536, 28}},
        {L("w_background"), L("lbl_copyright"), {32, 456, 536, 28}},
    };
}

std::vector<Placement> largeDialog() {
    return {
        {L("info_dialog"), L("w_background"), {0, 0, 960, 1200}},
        {L("w_background"), L("lbl_header"), {56, 56, 560, 80}},
        {L("w_background"), L("pb_close"), {664, 56, 240, 80}},
        {L("w_background"), L("lbl_id_name"), {56, 176, 848, 56}},
        {L("w_background"), L("lbl_id"), {56, 232, 848, 56}},
        {L("w_background"), L("lbl_version_name"), {56, 312, 848, 56}},
        {L("w_background"), L("lbl_version"), {56, 368, 848, 56}},
        {L("w_background"), L("lbl_crc_name"), {56, 448, 848, 56}},
        {L("w_background"), L("lbl_crc"), {56, 504, 848, 56}},
        {L("w_background"), L("lbl_site"), {56, 616, 848, 56}},
        {L("w_background"), L("lbl_faq"), {56, 688, 848, 56}},
        {L("w_background"), L("lbl_doc"), {56, 760, 848, 56}},
        {L("w_background"), L("lbl_support"), {56, 832, 848, 56}},
        {L("w_background"), L("lbl_license"), {56, 936, 848, 56}},
        {L("w_background"), L("lbl_copyright"), {56, 1008, 848, 56}},
    };
}

}  // namespace

QSize pageArea(WindowMode mode) {
    return usesSmallLook(mode) ? QSize(800, 520) : QSize(1080, 1760);
}

QSize windowSize(WindowMode mode) {
    if (mode == WindowMode::Desktop) return {820, 620};
    return usesSmallLook(mode) ? QSize(800, 600) : QSize(1080, 1920);
}

const std::vector<Placement>& pageRectangles(WindowMode mode) {
    static const std::vector<Placement> small = smallPages();
    static const std::vector<Placement> large = largePages();
    return usesSmallLook(mode) ? small : large;
}

std::vector<Placement> windowRectangles(WindowMode mode) {
    std::vector<Placement> table;
    const bool large = !usesSmallLook(mode);
    if (mode == WindowMode::Desktop) {
        table.push_back({L("MainWindow"), L("centralwidget"), {0, 0, 820, 600}});
        table.push_back({L("centralwidget"), L("w_background"), {10, 10, 800, 600}});
    } else {
        const QRect screen(QPoint(0, 0), windowSize(mode));
        table.push_back({L("MainWindow"), L("centralwidget"), screen});
        table.push_back({L("centralwidget"), L("w_background"), screen});
    }
    if (large) {
        table.push_back({L("w_background"), L("w_header"), {0, 0, 1080, 160}});
        table.push_back({L("w_background"), L("sw_window_manager"), {0, 160, 1080, 1760}});
        table.push_back({L("w_background"), L("w_error_message"), {0, 160, 1080, 120}});
        table.push_back({L("w_error_message"), L("lbl_error_messages"), {48, 38, 900, 43}});
        table.push_back({L("w_error_message"), L("pb_close_error_message"), {956, 15, 90, 90}});
    } else {
        table.push_back({L("w_background"), L("w_header"), {0, 0, 800, 80}});
        table.push_back({L("w_background"), L("sw_window_manager"), {0, 80, 800, 520}});
        table.push_back({L("w_background"), L("w_error_message"), {0, 80, 800, 80}});
        table.push_back({L("w_error_message"), L("lbl_error_messages"), {48, 10, 650, 60}});
        table.push_back({L("w_error_message"), L("pb_close_error_message"), {720, 20, 40, 40}});
    }
    addHeader(table, large);
    return table;
}

const std::vector<Placement>& dialogRectangles(WindowMode mode) {
    static const std::vector<Placement> small = smallDialog();
    static const std::vector<Placement> large = largeDialog();
    return usesSmallLook(mode) ? small : large;
}

QRect rectangleOf(const std::vector<Placement>& table, QLatin1StringView name) {
    const auto found = std::find_if(table.begin(), table.end(), [&](const Placement& p) { return p.name == name; });
    return found != table.end() ? found->rect : QRect();
}

QRect searchRepeatRectangle(WindowMode mode, bool alone) {
    QRect rect = rectangleOf(pageRectangles(mode), L("pb_search_repeat"));
    if (alone) rect.setRight(rectangleOf(pageRectangles(mode), L("pb_select_device")).right());
    return rect;
}

QRect menuButtonRectangle(WindowMode mode, bool minimizeShown) {
    const std::vector<Placement> window = windowRectangles(mode);
    const QRect menu = rectangleOf(window, L("pb_menu"));
    if (minimizeShown) return menu;
    const QRect minimize = rectangleOf(window, L("pb_minimize"));
    return menu.translated(minimize.right() - menu.right(), 0);
}

QSize deviceButtonSize(WindowMode mode) {
    return rectangleOf(pageRectangles(mode), L("interface_button")).size();
}

}  // namespace weighdesk::look
