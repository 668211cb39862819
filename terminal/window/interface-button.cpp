#include "interface-button.h"

#include <QIcon>
#include <QPixmap>

#include "window-look.h"

namespace weighdesk {

QString interfaceButtonText(const ConnectionParams& scale) {
    return QStringLiteral("Модель: %1-%2.%3 (%4) - %5")
        .arg(scale.model, QString::number(scale.maxWeight), scale.division, scale.serialNumber, scale.port);
}

void setNamedIcon(QAbstractButton* button, const QString& name, bool small) {
    const QPixmap picture(QStringLiteral(":%1%2.svg").arg(name, small ? "_mini" : ""));
    if (picture.isNull()) return;  // the icons come with the full look
    button->setIcon(QIcon(picture));
    button->setIconSize(picture.size());
}

InterfaceButton::InterfaceButton(const ConnectionParams& scale, bool smallIcons, QWidget* parent)
    : QPushButton(interfaceButtonText(scale), parent), scale_(scale), smallIcons_(smallIcons) {
    const int height = smallIcons ? 56 : 91;
    setFixedWidth(smallIcons ? 622 : 920);
    setMinimumHeight(height);
    resize(width(), height);
    setSelected(false);
}

void InterfaceButton::setSelected(bool selected) {
    renameWidget(this, selected ? "interface_button_selected" : "interface_button");
    setNamedIcon(this, selected ? "scale_selected" : "scale", smallIcons_);
}

}  // namespace weighdesk
