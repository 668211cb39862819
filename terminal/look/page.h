#pragma once
// The pages of the window's stacked widget sw_window_manager, by their index in it.
namespace weighdesk {

enum class Page {
    Loader = 0,            // page_loader
    Devices = 1,           // page_devices: the scales a search found
    Search = 2,            // page_search
    Main = 3,              // page_main: weighing
    Menu = 4,              // page_menu
    Calibration = 5,       // page_calibration: the password
    CalibrationZero = 6,   // page_calibration_zero
    CalibrationWeight = 7, // page_calibration_weight: the reference weight
    CalibrationResult = 8, // page_calibration_result
    Info = 9,              // page_info
    Selected = 10,         // page_selected: choosing a port
};

inline constexpr int kPageCount = 11;

constexpr int indexOf(Page page) {
    return static_cast<int>(page);
}

}  // namespace weighdesk
