#include "search-pages.h"

#include <QVBoxLayout>

#include "close-report.h"
#include "device-search.h"
#include "interface-button.h"
#include "look.h"
#include "page.h"
#include "ui_main-window.h"

namespace weighdesk {

QString portHeldMessage(const QString& port) {
    return QStringLiteral("Порт %1 занят другой программой").arg(port);
}

SearchPages::SearchPages(Ui::MainWindow& ui, look::WindowMode mode, SerialPortLister allPorts, DeviceSearch& search,
                         QObject* parent)
    : QObject(parent),
      ui_(ui),
      mode_(mode),
      allPorts_(std::move(allPorts)),
      search_(search),
      noScaleReason_(kNoScaleFound) {
    connect(ui_.pb_selected_check, &QPushButton::clicked, this, &SearchPages::check);
    connect(ui_.pb_selected_apply, &QPushButton::clicked, this, &SearchPages::apply);
    connect(ui_.pb_selected_autosearch, &QPushButton::clicked, this, &SearchPages::autoSearch);
    connect(&search_, &DeviceSearch::set_progress_value, this, &SearchPages::showProgress);
    connect(&search_, &DeviceSearch::port_held, this, [this](const QString& port) { heldPort_ = port; });
}

void SearchPages::startSearch(const QString& port) {
    heldPort_.clear();
    noScaleReason_ = kNoScaleFound;
    search_.start(port);
}

void SearchPages::startAutoSearch(const QString& port) {
    portText_ = port;
    setSelectedState(SelectedState::AutoSearch);
    startSearch(port);
}

void SearchPages::enterSelectionPage() {
    ui_.cb_selected_port->clear();
    ui_.cb_selected_port->addItems(allPorts_());
    portText_.clear();
    setSelectedState(SelectedState::Idle);
}

// One port searched, and another program has it: that is why nothing was found.
void SearchPages::searchFinished(const QList<ConnectionParams>& found, bool selectionShows) {
    const bool held = found.isEmpty() && !heldPort_.isEmpty();
    if (held) noScaleReason_ = portHeldMessage(heldPort_);
    if (state_ == SelectedState::Checking) {
        if (!found.isEmpty()) checked_ = found.first();
        setSelectedState(found.isEmpty() ? SelectedState::Idle : SelectedState::Found);
    }
    if (held && selectionShows) ui_.lbl_selected_status->setText(portHeldMessage(heldPort_));
}

QString SearchPages::noScaleReason() const {
    return noScaleReason_;
}

// Checks the chosen port (states 0 and 2), or stops a check under way (state 1).
void SearchPages::check() {
    if (state_ == SelectedState::Idle || state_ == SelectedState::Found) {
        // An empty port text would mean every port; with nothing listed there is nothing to check.
        const QString port = ui_.cb_selected_port->currentText();
        if (port.isEmpty()) return;
        portText_ = port;
        checked_.reset();
        setSelectedState(SelectedState::Checking);
        startSearch(portText_);
    } else if (state_ == SelectedState::Checking) {
        setSelectedState(SelectedState::Stopping);
        if (search_.isRunning()) search_.cancel();
        setSelectedState(SelectedState::Idle);
    }
}

void SearchPages::apply() {
    if (state_ == SelectedState::Found && checked_) emit checkedScaleApplied(*checked_);
}

void SearchPages::autoSearch() {
    if (state_ == SelectedState::Checking || state_ == SelectedState::Stopping) return;
    setSelectedState(SelectedState::AutoSearch);
    emit autoSearchRequested();
}

void SearchPages::fillDeviceList(const QList<ConnectionParams>& found) {
    clearDeviceList();
    ui_.lbl_devices_not_found->setVisible(found.isEmpty());
    ui_.sa_connections->setVisible(!found.isEmpty());
    setRepeatFullWidth(found.isEmpty());
    if (devicesLayout_ == nullptr) {
        devicesLayout_ = new QVBoxLayout(ui_.sawc_connections);
        devicesLayout_->setContentsMargins(0, 0, 10, 0);
        devicesLayout_->setSpacing(0);
    }
    for (const ConnectionParams& scale : found) {
        auto* button = new InterfaceButton(scale, mode_, ui_.sawc_connections);
        connect(button, &QPushButton::clicked, this, [this, button] { select(button); });
        devicesLayout_->addWidget(button);
        buttons_ << button;
    }
    devicesLayout_->addStretch();
}

void SearchPages::showRepeatOnly() {
    ui_.pb_select_device->hide();
    setRepeatFullWidth(true);
}

void SearchPages::setSelectedState(SelectedState state) {
    state_ = state;
    const QString& port = portText_;
    const std::optional<ConnectionParams>& checked = checked_;
    const bool busy = state == SelectedState::Checking || state == SelectedState::Stopping;
    QString status = kNoScaleFound;
    QString statusName = QStringLiteral("lbl_selected_status");
    if (state == SelectedState::Checking) {
        status = QStringLiteral("Соединение с весами устанавливается (%1)").arg(port);
        statusName = QStringLiteral("lbl_selected_status_connecting");
    } else if (state == SelectedState::Stopping) {
        status = QStringLiteral("Соединение с весами останавливается");
        statusName = QStringLiteral("lbl_selected_status_connecting");
    } else if (state == SelectedState::Found) {
        status = QStringLiteral("Соединение с весами установлено (%1)").arg(port);
        statusName = QStringLiteral("lbl_selected_status_ready");
    }
    ui_.lbl_selected_status->setText(status);
    look::setObjectNameStyled(ui_.lbl_selected_status, statusName);
    ui_.pb_selected_check->setText(busy ? QStringLiteral("Отмена") : QStringLiteral("Установить соединение"));
    look::setObjectNameStyled(ui_.pb_selected_check, busy ? "pb_selected_check_cancel" : "pb_selected_check_connected");
    look::setObjectNameStyled(ui_.pb_selected_autosearch,
                              busy ? "pb_selected_autosearch_disabled" : "pb_selected_autosearch");
    const bool found = state == SelectedState::Found && checked.has_value();
    look::setObjectNameStyled(ui_.pb_selected_apply,
                              found ? "pb_selected_apply_enabled" : "pb_selected_apply_disabled");
    ui_.w_selected_data->setVisible(found);
    if (found) {
        ui_.lbl_selected_model_value->setText(
            QStringLiteral("%1-%2.%3").arg(checked->model, QString::number(checked->maxWeight), checked->division));
        ui_.lbl_selected_serial_number_value->setText(checked->serialNumber);
    }
}

// Only the loader and the search page show progress.
void SearchPages::showProgress(int value) {
    const auto page = static_cast<Page>(ui_.sw_window_manager->currentIndex());
    if (page == Page::Loader) ui_.progress_loader->setValue(value);
    if (page == Page::Search) ui_.progress_search->setValue(value);
}

void SearchPages::clearDeviceList() {
    for (const QPointer<InterfaceButton>& button : buttons_) delete button.data();
    buttons_.clear();
    if (devicesLayout_ == nullptr) return;
    while (QLayoutItem* item = devicesLayout_->takeAt(0)) delete item;
}

void SearchPages::clearSelection() {
    for (const QPointer<InterfaceButton>& button : buttons_) {
        if (button) button->setSelected(false);
    }
}

void SearchPages::select(InterfaceButton* button) {
    clearSelection();
    button->setSelected(true);
    emit deviceChosen(button->scale());
}

void SearchPages::setRepeatFullWidth(bool full) {
    ui_.pb_select_device->setVisible(!full);
    look::placeSearchRepeat(*ui_.w_devices_background, mode_, full);
}

}  // namespace weighdesk
