#pragma once
// Where every widget of the window, its eleven pages and the about dialog sits, per page area.
// Each rectangle is in the coordinates of its container: a page's background (which fills the
// page area), a frame inside a page, the header, the error strip or the about dialog's card.
#include <QLatin1StringView>
#include <QRect>
#include <QSize>
#include <vector>

#include "window-mode.h"

namespace weighdesk::look {

struct Placement {
    QLatin1StringView container;
    QLatin1StringView name;
    QRect rect;
};

// The page area: 800×520 in modes 0 and 2, 1080×1760 in mode 1.
QSize pageArea(WindowMode mode);
// The window: 820×620 with its shadow margin in mode 2, the whole screen otherwise.
QSize windowSize(WindowMode mode);

// Every page's widgets, the device list button and the parameter row with its two labels.
const std::vector<Placement>& pageRectangles(WindowMode mode);
// The window's frame: central widget, background, header and its buttons, stack, error strip.
std::vector<Placement> windowRectangles(WindowMode mode);
// The about dialog: its card (centred in the dialog, which covers the window) and the card's contents.
const std::vector<Placement>& dialogRectangles(WindowMode mode);

// The rectangle of `name` in `table`; a null rectangle when the table has none.
QRect rectangleOf(const std::vector<Placement>& table, QLatin1StringView name);

// The devices page's repeat button, alone (no scale to select) or beside the select button.
QRect searchRepeatRectangle(WindowMode mode, bool alone);
// The menu button moves into the minimise button's place when that one is hidden.
QRect menuButtonRectangle(WindowMode mode, bool minimizeShown);

QSize deviceButtonSize(WindowMode mode);

// The backgrounds, one per page in page order; mode 2 adds "_desktop" to each.
inline constexpr const char* kPageBackgrounds[] = {"w_loader_background",
                                                   "w_devices_background",
                                                   "w_search_background",
                                                   "w_main_background",
                                                   "w_menu_background",
                                                   "w_calibration_background",
                                                   "w_calibration_zero_background",
                                                   "w_calibration_weight_background",
                                                   "w_calibration_result_background",
                                                   "w_info_background",
                                                   "w_selected_background"};

}  // namespace weighdesk::look
