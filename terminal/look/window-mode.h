#pragma once
// The three kinds of screen the terminal runs on, picked once from the primary screen.
#include <QSize>

namespace weighdesk::look {

enum class WindowMode { SmallScreen = 0, PortraitScreen = 1, Desktop = 2 };

// Exactly 800×600 → small screen; exactly 1080×1920 → portrait screen; anything else → desktop.
WindowMode windowModeFor(const QSize& screen);
WindowMode primaryScreenMode();

// Modes 0 and 2 share the 800×520 page area, the small icons and the small style sheet.
inline bool usesSmallLook(WindowMode mode) {
    return mode != WindowMode::PortraitScreen;
}

}  // namespace weighdesk::look
