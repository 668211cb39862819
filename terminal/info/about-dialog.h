#pragma once
// The about dialog: what the terminal software is, its version, its digital identifier and the
// maker's addresses.
#include <QDialog>
#include <QPoint>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace weighdesk {

inline constexpr char kTerminalVersion[] = "1.0.4";

// CRC-32 of the running program file in lower-case hexadecimal; empty when the file cannot be
// read. Computed on the first call only.
QString softwareIdentifier();

// desktop: window mode 2 (a shadow, and the dialog can be dragged); small: any mode but the
// portrait panel (the small geometry). Elsewhere a darkened backdrop covers the whole window.
// The dialog covers the window it is opened over.
class info_dialog : public QDialog {
    Q_OBJECT
public:
    info_dialog(bool desktop, bool small, QWidget* parent = nullptr);

    // Opens a dialog modally over parent; it is deleted when it closes.
    static void showAbout(bool desktop, bool small, QWidget* parent);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void buildWidgets();
    void setTexts();
    QLabel* addLabel(const char* objectName);
    QLabel* addLinkLabel(const char* objectName);

    bool desktop_;
    QWidget* blackout_ = nullptr;
    QWidget* background_ = nullptr;
    QPushButton* close_ = nullptr;
    bool dragging_ = false;
    QPoint pressPosition_;
};

}  // namespace weighdesk
