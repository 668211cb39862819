#pragma once
// The terminal's look, applied to the window's widget tree by object name. A widget the tree
// lacks is skipped. Widgets that get a rectangle are taken out of their parent's layout.
#include "page-rectangles.h"
#include "resources.h"
#include "window-mode.h"

class QDialog;
class QMainWindow;
class QPushButton;
class QWidget;

namespace weighdesk::look {

enum class HeaderLook { Loader, Main };

// Once, from the window's construction: fonts, frame and geometry by mode, every page's
// rectangles and background name, the icons, the style sheet, the hidden error strip and the
// header in its loader look. Does not show the window.
void apply(QMainWindow& window, WindowMode mode);

// "w_header%1%2" with its logo, buttons and icons; the minimise button shows only in mode 2.
void applyHeaderLook(QWidget& window, WindowMode mode, HeaderLook look);

// The devices page's repeat button, alone at full width or at half width beside the select button.
void placeSearchRepeat(QWidget& window, WindowMode mode, bool alone);

// A device list button: its fixed size and its icon, "scale" or "scale_selected".
void styleDeviceButton(QPushButton* button, WindowMode mode, bool selected);

// A parameter row of the information page: its minimum height and its two labels' rectangles.
void placeParameterRow(QWidget* row, WindowMode mode);

// The about dialog: the size of the window it covers, its card centred, the card's contents.
void placeAboutDialog(QDialog& dialog, WindowMode mode);

}  // namespace weighdesk::look
