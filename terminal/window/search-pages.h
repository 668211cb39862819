#pragma once
// The search and its pages: the list of found scales (page_devices), the port check of
// page_selected with its states, the progress bars, and what a search found out about a port that
// another program holds. The window decides which page shows and connects the chosen scale.
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

class DeviceSearch;
class InterfaceButton;

// What page_selected and the close report say when the one port searched is held by another program.
QString portHeldMessage(const QString& port);

// The states of page_selected.
enum class SelectedState { Idle = 0, Checking = 1, Found = 2, AutoSearch = 3, Stopping = 4 };

class SearchPages : public QObject {
    Q_OBJECT
public:
    // allPorts: the ports page_selected lists (the system's in the program).
    SearchPages(Ui::MainWindow& ui, look::WindowMode mode, SerialPortLister allPorts, DeviceSearch& search,
                QObject* parent = nullptr);

    // A search of one port (empty: every port); what an earlier search found out is forgotten.
    void startSearch(const QString& port);
    // From start-up with a port: state 3, and that port searched.
    void startAutoSearch(const QString& port);
    // Page 10's own step: the ports listed anew, no port chosen, state 0.
    void enterSelectionPage();
    // A search ended with a list: a check of page_selected takes its first scale; a held port is
    // named when page_selected shows (selectionShows).
    void searchFinished(const QList<ConnectionParams>& found, bool selectionShows);

    // Page 1: one button per scale in list order; a click selects it.
    void fillDeviceList(const QList<ConnectionParams>& found);
    // Page 1 after a failed connect to the only scale found: nothing to select, repeat spans the page.
    void showRepeatOnly();
    // No device button looks selected.
    void clearSelection();

    // The loader's or the search page's bar, whichever shows.
    void showProgress(int value);

    SelectedState selectedState() const { return state_; }
    void setSelectedState(SelectedState state);
    // The close report's error when no scale is selected.
    QString noScaleReason() const;

signals:
    // A device button was clicked; it is now the only one marked selected.
    void deviceChosen(const ConnectionParams& scale);
    // "Продолжить" of page_selected with a checked scale.
    void checkedScaleApplied(const ConnectionParams& scale);
    // "Поиск весов" of page_selected: state 3, and the search page is to show.
    void autoSearchRequested();

private:
    void check();
    void apply();
    void autoSearch();
    void clearDeviceList();
    void select(InterfaceButton* button);
    void setRepeatFullWidth(bool full);

    Ui::MainWindow& ui_;
    look::WindowMode mode_;
    SerialPortLister allPorts_;
    DeviceSearch& search_;
    QVBoxLayout* devicesLayout_ = nullptr;
    QList<QPointer<InterfaceButton>> buttons_;
    SelectedState state_ = SelectedState::Idle;
    QString portText_;                         // the port searched from start-up or page_selected
    std::optional<ConnectionParams> checked_;  // the scale the check of page_selected found
    QString heldPort_;                         // a port of the current search another program holds
    QString noScaleReason_;
};

}  // namespace weighdesk
