#include "page-rectangles.h"

#include <algorithm>
#include <iterator>

namespace weighdesk::look {

namespace {

using L = QLatin1StringView;

// One widget's rectangle in the small page area (800×520, modes 0 and 2) and in the portrait one
// (1080×1760, mode 1). Both share one grid: 56 px side margins, a row of full-width or half-width
// keys along the bottom edge, headers at the top; the portrait panel gives the fingers and the
// eyes bigger keys and taller rows rather than more content.
struct Sized {
    L container;
    L name;
    QRect small;
    QRect large;
};

constexpr L kLoader("w_loader_background");
constexpr L kDevices("w_devices_background");
constexpr L kSearch("w_search_background");
constexpr L kMain("w_main_background");
constexpr L kMenu("w_menu_background");
constexpr L kPassword("w_calibration_background");
constexpr L kZero("w_calibration_zero_background");
constexpr L kWeight("w_calibration_weight_background");
constexpr L kResult("w_calibration_result_background");
constexpr L kInfo("w_info_background");
constexpr L kSelected("w_selected_background");

const Sized kPages[] = {
    {kLoader, L("lbl_loader_logo"), {150, 120, 500, 100}, {140, 600, 800, 160}},
    {kLoader, L("lbl_loader_header"), {56, 260, 688, 40}, {56, 820, 968, 64}},
    {kLoader, L("progress_loader"), {56, 320, 688, 12}, {56, 920, 968, 20}},

    {kDevices, L("lbl_devices_header"), {56, 24, 688, 48}, {56, 48, 968, 80}},
    {kDevices, L("sa_connections"), {56, 88, 688, 304}, {56, 160, 968, 1380}},
    {kDevices, L("lbl_devices_not_found"), {56, 200, 688, 48}, {56, 760, 968, 64}},
    {kDevices, L("pb_search_repeat"), {56, 416, 332, 80}, {56, 1572, 472, 120}},
    {kDevices, L("pb_select_device"), {412, 416, 332, 80}, {552, 1572, 472, 120}},
    {L("sa_connections"), L("interface_button"), {0, 0, 622, 56}, {0, 0, 920, 91}},

    {kSearch, L("lbl_search_header"), {56, 24, 688, 48}, {56, 48, 968, 80}},
    {kSearch, L("lbl_search_progress"), {56, 200, 688, 40}, {56, 760, 968, 64}},
    {kSearch, L("progress_search"), {56, 260, 688, 12}, {56, 860, 968, 20}},
    {kSearch, L("pb_search_cancel"), {56, 416, 688, 80}, {56, 1572, 968, 120}},

    {kMain, L("lbl_scale_name"), {56, 24, 96, 48}, {56, 48, 160, 80}},
    {kMain, L("lbl_serial_number"), {160, 24, 320, 48}, {224, 48, 480, 80}},
    {kMain, L("lbl_mark_stable"), {600, 28, 64, 40}, {784, 52, 112, 72}},
    {kMain, L("lbl_mark_unstable"), {600, 28, 64, 40}, {784, 52, 112, 72}},
    {kMain, L("lbl_mark_zero"), {680, 28, 64, 40}, {912, 52, 112, 72}},
    {kMain, L("lbl_mark_non_zero"), {680, 28, 64, 40}, {912, 52, 112, 72}},
    {kMain, L("lbl_net_weight"), {24, 96, 752, 176}, {24, 440, 1032, 300}},
    {kMain, L("lbl_net_weight_error"), {24, 96, 752, 176}, {24, 440, 1032, 300}},
    {kMain, L("w_tare_weight"), {56, 288, 688, 48}, {56, 780, 968, 80}},
    {L("w_tare_weight"), L("lbl_tare_weight"), {0, 0, 688, 48}, {0, 0, 968, 80}},
    {kMain, L("pb_tare"), {56, 376, 332, 120}, {56, 1372, 472, 320}},
    {kMain, L("pb_zero"), {412, 376, 332, 120}, {552, 1372, 472, 320}},

    {kMenu, L("pb_about"), {56, 40, 208, 336}, {56, 48, 968, 320}},
    {kMenu, L("pb_info"), {296, 40, 208, 336}, {56, 400, 968, 320}},
    {kMenu, L("pb_calibration"), {536, 40, 208, 336}, {56, 752, 968, 320}},
    {kMenu, L("pb_back_to_main"), {56, 416, 688, 80}, {56, 1572, 968, 120}},

    {kPassword, L("lbl_calibration_header"), {56, 24, 688, 40}, {56, 48, 968, 80}},
    {kPassword, L("lbl_calibration_hint"), {56, 72, 688, 32}, {56, 144, 968, 56}},
    {kPassword, L("lbl_calibration_input"), {56, 128, 340, 80}, {56, 232, 968, 140}},
    {kPassword, L("pb_calibration_back_to_menu"), {56, 416, 332, 80}, {56, 1572, 472, 120}},
    {kPassword, L("pb_calibration_begin"), {412, 416, 332, 80}, {552, 1572, 472, 120}},

    {kZero, L("lbl_calibration_zero_header"), {56, 24, 688, 40}, {56, 48, 968, 80}},
    {kZero, L("lbl_calibration_zero_hint"), {56, 200, 688, 56}, {56, 760, 968, 80}},
    {kZero, L("pb_calibration_zero_cancel"), {56, 416, 332, 80}, {56, 1572, 472, 120}},
    {kZero, L("pb_calibration_zero"), {412, 416, 332, 80}, {552, 1572, 472, 120}},

    {kWeight, L("lbl_calibration_weight_header"), {56, 24, 688, 40}, {56, 48, 968, 80}},
    {kWeight, L("lbl_calibration_weight_hint"), {56, 72, 688, 32}, {56, 144, 968, 56}},
    {kWeight, L("lbl_calibration_weight_prompt"), {56, 128, 340, 32}, {56, 216, 968, 56}},
    {kWeight, L("lbl_calibration_weight_input"), {56, 168, 340, 80}, {56, 292, 968, 140}},
    {kWeight, L("pb_calibration_weight_cancel"), {56, 416, 332, 80}, {56, 1572, 472, 120}},
    {kWeight, L("pb_calibration_weight"), {412, 416, 332, 80}, {552, 1572, 472, 120}},

    {kResult, L("lbl_calibration_result_header"), {56, 150, 688, 56}, {56, 640, 968, 96}},
    {kResult, L("lbl_calibration_result_text"), {56, 230, 380, 48}, {56, 760, 560, 72}},
    {kResult, L("lbl_calibration_result_counter"), {444, 230, 300, 48}, {632, 760, 392, 72}},
    {kResult, L("pb_calibration_finish"), {56, 416, 688, 80}, {56, 1572, 968, 120}},

    {kInfo, L("lbl_info_name_head"), {72, 16, 440, 40}, {80, 48, 600, 64}},
    {kInfo, L("lbl_info_value_head"), {528, 16, 216, 40}, {696, 48, 290, 64}},
    {kInfo, L("sa_parameters"), {56, 64, 688, 336}, {56, 128, 968, 1412}},
    {kInfo, L("pb_info_back_to_menu"), {56, 416, 688, 80}, {56, 1572, 968, 120}},
    {L("sa_parameters"), L("w_parameters_row"), {0, 0, 670, 60}, {0, 0, 942, 100}},
    {L("w_parameters_row"), L("lbl_parameters_row_name"), {16, 0, 440, 60}, {24, 0, 600, 100}},
    {L("w_parameters_row"), L("lbl_parameters_row_value"), {472, 0, 190, 60}, {640, 0, 290, 100}},

    {kSelected, L("lbl_selected_header"), {56, 24, 688, 48}, {56, 48, 968, 80}},
    {kSelected, L("cb_selected_port"), {56, 104, 388, 64}, {56, 176, 520, 112}},
    {kSelected, L("pb_selected_check"), {460, 104, 284, 64}, {600, 176, 424, 112}},
    {kSelected, L("lbl_selected_status"), {56, 188, 688, 40}, {56, 320, 968, 64}},
    {kSelected, L("w_selected_data"), {56, 248, 688, 128}, {56, 416, 968, 208}},
    {L("w_selected_data"), L("lbl_selected_model"), {24, 12, 220, 48}, {32, 24, 360, 72}},
    {L("w_selected_data"), L("lbl_selected_model_value"), {248, 12, 416, 48}, {400, 24, 536, 72}},
    {L("w_selected_data"), L("lbl_selected_serial_number"), {24, 68, 220, 48}, {32, 112, 360, 72}},
    {L("w_selected_data"), L("lbl_selected_serial_number_value"), {248, 68, 416, 48}, {400, 112, 536, 72}},
    {kSelected, L("pb_selected_autosearch"), {56, 416, 332, 80}, {56, 1572, 472, 120}},
    {kSelected, L("pb_selected_apply"), {412, 416, 332, 80}, {552, 1572, 472, 120}},
};

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

    QRect at(int index) const {
        const QPoint step(key.width() + gap.width(), key.height() + gap.height());
        return {origin + QPoint(index % 3 * step.x(), index / 3 * step.y()), key};
    }
};

// The keypad reads like a phone's: 1 2 3 / 4 5 6 / 7 8 9 / 00 0 erase.
void addKeypad(std::vector<Sized>& table, L container, const char* const (&keys)[12], KeypadGrid small,
               KeypadGrid large) {
    for (int index = 0; index < 12; ++index)
        table.push_back({container, L(keys[index]), small.at(index), large.at(index)});
}

std::vector<Sized> pages() {
    std::vector<Sized> table(std::begin(kPages), std::end(kPages));
    addKeypad(table, kPassword, kPasswordKeys, {{420, 128}, {100, 60}, {12, 8}}, {{56, 420}, {296, 256}, {40, 32}});
    addKeypad(table, kWeight, kWeightKeys, {{420, 128}, {100, 60}, {12, 8}}, {{56, 480}, {296, 240}, {40, 28}});
    return table;
}

// The window inside its background: header, stack of pages, error strip.
const Sized kWindow[] = {
    {L("w_background"), L("w_header"), {0, 0, 800, 80}, {0, 0, 1080, 160}},
    {L("w_background"), L("sw_window_manager"), {0, 80, 800, 520}, {0, 160, 1080, 1760}},
    {L("w_background"), L("w_error_message"), {0, 80, 800, 80}, {0, 160, 1080, 120}},
    {L("w_error_message"), L("lbl_error_messages"), {48, 10, 650, 60}, {48, 38, 900, 43}},
    {L("w_error_message"), L("pb_close_error_message"), {720, 20, 40, 40}, {956, 15, 90, 90}},
    // The header: logo on the left, the buttons on the right, exit in the corner.
    {L("w_header"), L("lbl_logo"), {32, 20, 240, 40}, {48, 40, 400, 80}},
    {L("w_header"), L("pb_menu"), {504, 16, 160, 48}, {600, 40, 256, 80}},
    {L("w_header"), L("pb_minimize"), {680, 16, 48, 48}, {872, 40, 80, 80}},
    {L("w_header"), L("pb_exit"), {736, 16, 48, 48}, {968, 40, 80, 80}},
};

// The about dialog's card, centred at run time, and its contents.
const Sized kDialog[] = {
    {L("info_dialog"), L("w_background"), {0, 0, 600, 500}, {0, 0, 960, 1200}},
    {L("w_background"), L("lbl_header"), {32, 24, 380, 48}, {56, 56, 560, 80}},
    {L("w_background"), L("pb_close"), {424, 24, 144, 48}, {664, 56, 240, 80}},
    {L("w_background"), L("lbl_id_name"), {32, 88, 536, 28}, {56, 176, 848, 56}},
    {L("w_background"), L("lbl_id"), {32, 116, 536, 28}, {56, 232, 848, 56}},
    {L("w_background"), L("lbl_version_name"), {32, 152, 536, 28}, {56, 312, 848, 56}},
    {L("w_background"), L("lbl_version"), {32, 180, 536, 28}, {56, 368, 848, 56}},
    {L("w_background"), L("lbl_crc_name"), {32, 216, 536, 28}, {56, 448, 848, 56}},
    {L("w_background"), L("lbl_crc"), {32, 244, 536, 28}, {56, 504, 848, 56}},
    {L("w_background"), L("lbl_site"), {32, 292, 536, 28}, {56, 616, 848, 56}},
    {L("w_background"), L("lbl_faq"), {32, 324, 536, 28}, {56, 688, 848, 56}},
    {L("w_background"), L("lbl_doc"), {32, 356, 536, 28}, {56, 760, 848, 56}},
    {L("w_background"), L("lbl_support"), {32, 388, 536, 28}, {56, 832, 848, 56}},
    {L("w_background"), L("lbl_license"), {32, 428, 536, 28}, {56, 936, 848, 56}},
    {L("w_background"), L("lbl_copyright"), {32, 456, 536, 28}, {56, 1008, 848, 56}},
};

template <typename Rows>
void appendFor(std::vector<Placement>& table, const Rows& rows, WindowMode mode) {
    const bool small = usesSmallLook(mode);
    for (const Sized& row : rows) table.push_back({row.container, row.name, small ? row.small : row.large});
}

template <typename Rows>
std::vector<Placement> tableFor(const Rows& rows, WindowMode mode) {
    std::vector<Placement> table;
    appendFor(table, rows, mode);
    return table;
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
    static const std::vector<Placement> small = tableFor(pages(), WindowMode::SmallScreen);
    static const std::vector<Placement> large = tableFor(pages(), WindowMode::PortraitScreen);
    return usesSmallLook(mode) ? small : large;
}

// On the desktop the background sits inside the window's shadow margin; on a panel both fill the screen.
std::vector<Placement> windowRectangles(WindowMode mode) {
    const QRect screen(QPoint(0, 0), windowSize(mode));
    const bool desktop = mode == WindowMode::Desktop;
    std::vector<Placement> table = {
        {L("MainWindow"), L("centralwidget"), desktop ? QRect(0, 0, 820, 600) : screen},
        {L("centralwidget"), L("w_background"), desktop ? QRect(10, 10, 800, 600) : screen},
    };
    appendFor(table, kWindow, mode);
    return table;
}

const std::vector<Placement>& dialogRectangles(WindowMode mode) {
    static const std::vector<Placement> small = tableFor(kDialog, WindowMode::SmallScreen);
    static const std::vector<Placement> large = tableFor(kDialog, WindowMode::PortraitScreen);
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
