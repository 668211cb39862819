#include "resources.h"

#include <QAbstractButton>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QSvgRenderer>

// The resources live in a static library: their initialisers must be referenced to be linked in.
static void initLookResources() {
    Q_INIT_RESOURCE(look_icons);
    Q_INIT_RESOURCE(look_generated);
}

namespace weighdesk::look {

namespace {

void ensureResources() {
    static const bool initialised = (initLookResources(), true);
    (void)initialised;
}

}  // namespace

QStringList fontResources() {
    return {":/font/inter-display-thin.otf",       ":/font/inter-display-extra-light.otf",
            ":/font/inter-display-light.otf",      ":/font/inter-display-medium.otf",
            ":/font/inter-display-semi-bold.otf",  ":/font/inter-display-bold.otf",
            ":/font/inter-display-extra-bold.otf", ":/font/inter-display-black.otf"};
}

bool registerFonts() {
    ensureResources();
    static const bool registered = [] {
        bool all = true;
        for (const QString& path : fontResources()) all = QFontDatabase::addApplicationFont(path) >= 0 && all;
        return all;
    }();
    return registered;
}

QString styleSheetPath(WindowMode mode) {
    return usesSmallLook(mode) ? QStringLiteral(":/qss/style_mini.qss") : QStringLiteral(":/qss/style.qss");
}

QString styleSheet(WindowMode mode) {
    ensureResources();
    QFile file(styleSheetPath(mode));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

// By the drawing's shape: the word mark, the weight display's marks and the square glyphs.
QSize iconSize(const QString& name, WindowMode mode) {
    const bool small = usesSmallLook(mode);
    if (name.startsWith(QStringLiteral("logo"))) return small ? QSize(175, 30) : QSize(280, 48);
    static const QStringList marks = {"stab", "unstab", "zero", "unzero"};
    if (marks.contains(name)) return small ? QSize(48, 32) : QSize(84, 56);
    return small ? QSize(24, 24) : QSize(48, 48);
}

// The drawing fills the pixmap: its view box is scaled to the size asked for.
QPixmap iconPixmap(const QString& name, WindowMode mode) {
    ensureResources();
    QSvgRenderer renderer(QStringLiteral(":/%1.svg").arg(name));
    if (!renderer.isValid()) return {};
    const qreal ratio = qApp != nullptr ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(iconSize(name, mode) * ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

void setIcon(QAbstractButton* button, const QString& name, WindowMode mode) {
    if (button == nullptr) return;
    const QPixmap pixmap = iconPixmap(name, mode);
    button->setIcon(QIcon(pixmap));
    button->setIconSize(pixmap.deviceIndependentSize().toSize());
}

void setIcon(QLabel* label, const QString& name, WindowMode mode) {
    if (label != nullptr) label->setPixmap(iconPixmap(name, mode));
}

void setObjectNameStyled(QWidget* widget, const QString& name) {
    if (widget == nullptr) return;
    widget->setObjectName(name);
    widget->setStyleSheet(QString());
}

}  // namespace weighdesk::look
