#pragma once
// One found scale on the devices page; its object name tells the style sheet whether it is selected.
#include <QPushButton>

#include "connection-params.h"
#include "window-mode.h"

namespace weighdesk {

class InterfaceButton : public QPushButton {
    Q_OBJECT
public:
    InterfaceButton(const ConnectionParams& scale, look::WindowMode mode, QWidget* parent = nullptr);

    const ConnectionParams& scale() const { return scale_; }
    void setSelected(bool selected);

private:
    ConnectionParams scale_;
    look::WindowMode mode_;
};

// "Модель: model-max.division (serial) - port"
QString interfaceButtonText(const ConnectionParams& scale);

}  // namespace weighdesk
