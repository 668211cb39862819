#include "interface-button.h"

#include "look.h"

namespace weighdesk {

QString interfaceButtonText(const ConnectionParams& scale) {
    return QStringLiteral("Модель: %1-%2.%3 (%4) - %5")
        .arg(scale.model, QString::number(scale.maxWeight), scale.division, scale.serialNumber, scale.port);
}

InterfaceButton::InterfaceButton(const ConnectionParams& scale, look::WindowMode mode, QWidget* parent)
    : QPushButton(interfaceButtonText(scale), parent), scale_(scale), mode_(mode) {
    setSelected(false);
}

void InterfaceButton::setSelected(bool selected) {
    look::styleDeviceButton(this, mode_, selected);
}

}  // namespace weighdesk
