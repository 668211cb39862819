#include "info-dialog.h"

#include "ui_info-dialog.h"

namespace weighdesk {

InfoDialog::InfoDialog(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::info_dialog>()) {
    ui_->setupUi(this);
    setWindowFlag(Qt::FramelessWindowHint);
}

InfoDialog::~InfoDialog() = default;

}  // namespace weighdesk
