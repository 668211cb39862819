#pragma once
// The built-in fonts, icons and style sheets, and the two rules every state change goes through:
// icons by name and mode, looks by object name.
#include <QPixmap>
#include <QString>
#include <QStringList>

#include "window-mode.h"

class QAbstractButton;
class QLabel;
class QWidget;

namespace weighdesk::look {

inline constexpr const char* kFontFamily = "Inter Display";

// The resource paths of the embedded faces, lightest first.
QStringList fontResources();
// Registers the faces once per process; false if any face failed to load.
bool registerFonts();

QString styleSheetPath(WindowMode mode);
QString styleSheet(WindowMode mode);

// The size an icon is shown at in a mode: the portrait panel's are larger.
QSize iconSize(const QString& name, WindowMode mode);
// The one drawing ":/<name>.svg" at the mode's size (scaled for the screen's pixel ratio); null if it
// does not exist.
QPixmap iconPixmap(const QString& name, WindowMode mode);
void setIcon(QAbstractButton* button, const QString& name, WindowMode mode);
void setIcon(QLabel* label, const QString& name, WindowMode mode);

// A new object name; the widget's own style sheet is emptied so the window's sheet applies anew.
void setObjectNameStyled(QWidget* widget, const QString& name);

}  // namespace weighdesk::look
