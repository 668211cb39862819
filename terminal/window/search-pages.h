#pragma once
// What the search pages show: the list of found scales (page_devices), the state of the port check
// (page_selected) and the progress bars. The window decides the page flow.
#include <QList>
#include <QObject>
#include <QPointer>
#include <optional>

#include "connection-params.h"
#include "search-devices.h"
#include "window-mode.h"

class QVBoxLayout;

namespace Ui {
class MainWindow;
}

namespace weighdesk {

class InterfaceButton;

// What page_selected and the close report say when the one port searched is held by another program.
QString portHeldMessage(const QString& port);

// The states of page_selected.
enum class SelectedState { Idle = 0, Checking = 1, Found = 2, AutoSearch = 3, Stopping = 4 };

class SearchPages : public QObject {
    Q_OBJECT
public:
    SearchPages(Ui::MainWindow& ui, look::WindowMode mode, SerialPortLister allPorts, QObject* parent = nullptr);

    // Page 1: one button per scale in list order; a click selects it.
    void fillDeviceList(const QList<ConnectionParams>& found);
    // Page 1 after a failed connect to the only scale found: nothing to select, repeat spans the page.
    void showRepeatOnly();
    // No device button looks selected.
    void clearSelection();

    // Page 10.
    void refillPorts();
    QString chosenPort() const;
    SelectedState selectedState() const { return state_; }
    void setSelectedState(SelectedState state, const QString& port, const std::optional<ConnectionParams>& checked);
    // In state 0: the status names the port another program holds instead of "Весы не обнаружены".
    void showPortHeld(const QString& port);

    // page: the current page number; only the loader (0) and the search page (2) show progress.
    void setProgress(int page, int value);

signals:
    // A device button was clicked; it is now the only one marked selected.
    void deviceChosen(const ConnectionParams& scale);

private:
    void clearDeviceList();
    void select(InterfaceButton* button);
    void setRepeatFullWidth(bool full);

    Ui::MainWindow& ui_;
    look::WindowMode mode_;
    SerialPortLister allPorts_;
    QVBoxLayout* devicesLayout_ = nullptr;
    QList<QPointer<InterfaceButton>> buttons_;
    SelectedState state_ = SelectedState::Idle;
};

}  // namespace weighdesk
