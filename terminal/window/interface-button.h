#pragma once
// One found scale on the devices page; its object name tells the style sheet whether it is selected.
#include <QPushButton>

#include "connection-params.h"

namespace weighdesk {

class InterfaceButton : public QPushButton {
    Q_OBJECT
public:
    // smallIcons: every window mode but the portrait screen.
    InterfaceButton(const ConnectionParams& scale, bool smallIcons, QWidget* parent = nullptr);

    const ConnectionParams& scale() const { return scale_; }
    void setSelected(bool selected);

private:
    ConnectionParams scale_;
    bool smallIcons_;
};

// "Модель: model-max.division (serial) - port"
QString interfaceButtonText(const ConnectionParams& scale);

// The icon named name in the variant of the window mode; sized to its picture.
void setNamedIcon(QAbstractButton* button, const QString& name, bool small);

}  // namespace weighdesk
