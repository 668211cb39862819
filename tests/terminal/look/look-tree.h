#pragma once
// A widget tree shaped like the terminal's window and about dialog, built from the look's own
// tables: every widget they place, of the class its name's prefix stands for, inside layouts as
// a designer form would have them, with the texts the widgets show.
#include <QDialog>
#include <QMainWindow>
#include <memory>

#include "window-mode.h"

namespace look_test {

std::unique_ptr<QMainWindow> buildWindow();
std::unique_ptr<QDialog> buildAboutDialog();

// The longest text each label or button shows in use, for widgets whose text changes.
QString longestText(const QString& objectName);

// The names widgets take when their state changes, each of which needs its own rule.
QStringList stateDependentNames();

}  // namespace look_test
