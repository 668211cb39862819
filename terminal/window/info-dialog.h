#pragma once
// The about dialog: who made the terminal software and which version it is.
#include <QDialog>
#include <memory>

namespace Ui {
class info_dialog;
}

namespace weighdesk {

class InfoDialog : public QDialog {
    Q_OBJECT
public:
    explicit InfoDialog(QWidget* parent = nullptr);
    ~InfoDialog() override;

private:
    std::unique_ptr<Ui::info_dialog> ui_;
};

}  // namespace weighdesk
