#pragma once
// Window mode, geometry and the plain built-in look. Widgets whose look depends on a state change
// their object name; the style sheet, selecting by object name, does the rest.
#include <QSize>
#include <QString>

class QMainWindow;
class QWidget;

namespace Ui {
class MainWindow;
}

namespace weighdesk {

enum class WindowMode { SmallScreen = 0, PortraitScreen = 1, Desktop = 2 };

// 800×600 → small screen, 1080×1920 → portrait screen, anything else → a desktop window.
WindowMode windowModeFor(const QSize& screen);

// A new object name, and the widget's own style sheet cleared so the window's applies anew.
void renameWidget(QWidget* widget, const QString& name);

// Frameless window, geometry by mode, style sheet, hidden error strip, loader header.
void applyWindowLook(QMainWindow& window, Ui::MainWindow& ui, WindowMode mode);

enum class HeaderLook { Loader, Main };
void applyHeaderLook(Ui::MainWindow& ui, WindowMode mode, HeaderLook look);

}  // namespace weighdesk
