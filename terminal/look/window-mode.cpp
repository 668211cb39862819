#include "window-mode.h"

#include <QGuiApplication>
#include <QScreen>

namespace weighdesk::look {

WindowMode windowModeFor(const QSize& screen) {
    if (screen == QSize(800, 600)) return WindowMode::SmallScreen;
    if (screen == QSize(1080, 1920)) return WindowMode::PortraitScreen;
    return WindowMode::Desktop;
}

WindowMode primaryScreenMode() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? windowModeFor(screen->geometry().size()) : WindowMode::Desktop;
}

}  // namespace weighdesk::look
