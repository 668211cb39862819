#include "main-window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include "about-dialog.h"
#include "calibration-pages.h"
#include "close-report.h"
#include "device-search.h"
#include "error-strip.h"
#include "info-page.h"
#include "line-worker.h"
#include "look.h"
#include "permanent.h"
#include "scale-connection.h"
#include "search-pages.h"
#include "ui_main-window.h"
#include "weighing-page.h"

using Norvell::Balvex::CppWrapper::Driver;
using Norvell::Balvex::CppWrapper::ErrorCase;
using weighdesk::SelectedState;
using weighdesk::look::WindowMode;

namespace {

enum Page {
    kLoader = 0,
    kDevices = 1,
    kSearch = 2,
    kMain = 3,
    kMenu = 4,
    kCalibration = 5,
    kCalibrationZero = 6,
    kCalibrationWeight = 7,
    kCalibrationResult = 8,
    kInfo = 9,
    kSelected = 10,
};

constexpr int kReconnectDelayMs = 5000;

}  // namespace

MainWindow::MainWindow(const std::string& port, QWidget* parent) : MainWindow(port, systemSerialPorts, parent) {}

MainWindow::MainWindow(const std::string& port, SerialPortLister allPorts, QWidget* parent)
    : QMainWindow(parent),
      ui_(std::make_unique<Ui::MainWindow>()),
      line_(std::make_unique<weighdesk::LineWorker>()),
      mode_(weighdesk::look::primaryScreenMode()),
      noScaleReason_(weighdesk::kNoScaleFound) {
    ui_->setupUi(this);
    reconnectTimer_.setSingleShot(true);
    reconnectTimer_.setInterval(kReconnectDelayMs);
    connect(&reconnectTimer_, &QTimer::timeout, this, &MainWindow::reconnect);
    weighdesk::look::apply(*this, mode_);
    buildUnits(std::move(allPorts));
    buildPageUnits();
    enterPage(kLoader);
    // Without a usable driver the window still opens, and says why nothing will answer.
    if (const ErrorCase ecase = connection_->state(); ecase != ErrorCase::Correct) errors_->showError(ecase);
    startWithPort(QString::fromStdString(port));
}

MainWindow::~MainWindow() {
    closing_ = true;
    if (search_->isRunning()) search_->cancel();
    weighing_->stopPolling();
    line_->run([connection = connection_.get()] { connection->close(); });
    // Waits for the calls under way; their results are not delivered any more.
    line_.reset();
}

void MainWindow::buildUnits(SerialPortLister allPorts) {
    errors_ =
        new weighdesk::ErrorStrip(ui_->w_error_message, ui_->lbl_error_messages, ui_->pb_close_error_message, this);
    searchPages_ = new weighdesk::SearchPages(*ui_, mode_, allPorts, this);
    search_ = new DeviceSearch(std::move(allPorts), this);
    weighing_ = new weighdesk::WeighingPage(*ui_, *errors_, *line_, mode_ == WindowMode::PortraitScreen, this);
    connection_ = std::make_unique<weighdesk::ScaleConnection>(weighdesk::RecoveryFile::besideLogFolder());

    connect(searchPages_, &weighdesk::SearchPages::deviceChosen, this, &MainWindow::pb_interface_clicked);
    connect(search_, &DeviceSearch::devices_search_finished, this, &MainWindow::devices_search_finished);
    connect(search_, &DeviceSearch::set_progress_value, this, &MainWindow::gui_set_progress);
    connect(search_, &DeviceSearch::port_held, this, [this](const QString& port) { heldPort_ = port; });
    connect(weighing_, &weighdesk::WeighingPage::connectionLost, this, &MainWindow::handleLostConnection);
    connectKeypads();
}

// The calibration and information pages talk to the scale themselves; the error strip, the page
// flow and a lost line stay with the window.
void MainWindow::buildPageUnits() {
    Driver& driver = Driver::getInstanceLib();
    auto showError = [this](ErrorCase ecase) { errors_->showError(ecase); };
    weighdesk::CalibrationHooks calibrationHooks{
        [this](const QString& text, int autoCloseMs) { errors_->showMessage(text, autoCloseMs); },
        showError,
        [this](int page) { enterPage(page); },
        [this](bool busy) { setBusy(busy); },
        [this] { handleLostConnection(); },
        [this]() -> ConnectionParams* { return selected_ ? &*selected_ : nullptr; }};
    calibration_ = new weighdesk::CalibrationPages(this, driver, *line_, std::move(calibrationHooks), this);
    info_ = std::make_unique<weighdesk::InfoPage>(this, driver, *line_, showError, mode_);
}

void MainWindow::connectKeypads() {
    const std::pair<QString, void (MainWindow::*)()> keys[] = {
        {"1", &MainWindow::pb_1_clicked}, {"2", &MainWindow::pb_2_clicked},    {"3", &MainWindow::pb_3_clicked},
        {"4", &MainWindow::pb_4_clicked}, {"5", &MainWindow::pb_5_clicked},    {"6", &MainWindow::pb_6_clicked},
        {"7", &MainWindow::pb_7_clicked}, {"8", &MainWindow::pb_8_clicked},    {"9", &MainWindow::pb_9_clicked},
        {"0", &MainWindow::pb_0_clicked}, {"dot", &MainWindow::pb_00_clicked}, {"erase", &MainWindow::pb_erase_clicked},
    };
    for (const QString keypad : {"password", "weight"}) {
        for (const auto& [key, slot] : keys) {
            auto* button = findChild<QPushButton*>(QStringLiteral("pb_%1_%2").arg(keypad, key));
            if (button != nullptr) connect(button, &QPushButton::clicked, this, slot);
        }
    }
}

void MainWindow::startWithPort(const QString& port) {
    portText_ = port;
    if (port.isEmpty()) {
        ui_->lbl_loader_header->setText(QStringLiteral("Загрузка..."));
        weighdesk::look::applyHeaderLook(*this, mode_, weighdesk::look::HeaderLook::Main);
        enterPage(kSelected);
        return;
    }
    ui_->lbl_loader_header->setText(QStringLiteral("Соединение с весами устанавливается (%1)").arg(port));
    setSelectedState(SelectedState::AutoSearch);
    startSearch(port);
}

// A search's finding replaces what an earlier one said about the ports.
void MainWindow::startSearch(const QString& port) {
    heldPort_.clear();
    noScaleReason_ = weighdesk::kNoScaleFound;
    search_->start(port);
}

void MainWindow::enterPage(int page) {
    if (page > kSelected || closing_) return;
    if (page != kMain) weighing_->stopPolling();
    // Some pages show only once filled (the information page), or not at all.
    if (enterPageOwnStep(page)) showPage(page);
}

void MainWindow::showPage(int page) {
    currentPage_ = page;
    if (page == kMain) {
        weighing_->startPolling(selected_ ? selected_->protocol : QString());
    } else {
        weighing_->stopPolling();
    }
    ui_->pb_menu->setVisible(page == kMain);
    ui_->sw_window_manager->setCurrentIndex(page);
}

bool MainWindow::enterPageOwnStep(int page) {
    switch (page) {
        case kLoader:
            ui_->progress_loader->setValue(0);
            break;
        case kDevices:
            dropSelection();
            break;
        case kSearch:
            ui_->progress_search->setValue(0);
            startSearch(QString());
            break;
        case kMain:
            ui_->lbl_serial_number->setText(selected_ ? selected_->serialNumber : QString());
            break;
        case kSelected:
            searchPages_->refillPorts();
            portText_.clear();
            setSelectedState(SelectedState::Idle);
            break;
        case kCalibration:
            calibration_->enterPasswordPage();
            break;
        case kCalibrationWeight:
            calibration_->enterWeightPage();
            break;
        case kInfo:
            loadInfoPage();
            return false;
        default:
            break;
    }
    return true;
}

// The page that asked waits, greyed, until the table is read; a lost line leaves page 9 unshown.
void MainWindow::loadInfoPage() {
    setBusy(true);
    info_->load([this](bool loaded) {
        setBusy(false);
        if (closing_) return;
        if (!loaded) {
            handleLostConnection();
            return;
        }
        showPage(kInfo);
    });
}

void MainWindow::setSelectedState(SelectedState state) {
    searchPages_->setSelectedState(state, portText_, checked_);
}

void MainWindow::setBusy(bool busy) {
    busy_ = busy;
    if (busyPage_) busyPage_->setEnabled(true);
    busyPage_ = busy ? ui_->sw_window_manager->currentWidget() : nullptr;
    if (busyPage_) busyPage_->setEnabled(false);
}

// The scale, as the connect left it (firmware, calibration count, a switched protocol), comes back
// with the result; a failed connect leaves no port open behind it.
void MainWindow::connectScale(const ConnectionParams& scale, Connected done) {
    setBusy(true);
    line_->run(
        [connection = connection_.get(), scale = ConnectionParams(scale)]() mutable {
            const ErrorCase ecase = connection->connect(scale);
            if (ecase != ErrorCase::Correct) connection->close();
            return std::pair{ecase, scale};
        },
        [this, done = std::move(done)](const std::pair<ErrorCase, ConnectionParams>& outcome) {
            setBusy(false);
            if (!closing_) done(outcome.first, outcome.second);
        });
}

void MainWindow::connectSelected(std::function<void()> connected, std::function<void()> failed) {
    if (!selected_) return;
    connectScale(*selected_, [this, connected = std::move(connected), failed = std::move(failed)](
                                 ErrorCase ecase, const ConnectionParams& scale) {
        if (ecase != ErrorCase::Correct) {
            errors_->showError(ecase);
            dropSelection();
            failed();
            return;
        }
        selected_ = scale;
        weighing_->prepare(scale.protocol);
        connected();
    });
}

// A scale that did not connect is neither shown as chosen nor reported at close.
void MainWindow::dropSelection() {
    selected_.reset();
    searchPages_->clearSelection();
}

// ---- Search and selection

void MainWindow::pb_interface_clicked(const ConnectionParams& scale) {
    selected_ = scale;
}

void MainWindow::devices_search_finished(std::optional<QList<ConnectionParams>> found_devices) {
    searchPages_->setProgress(currentPage_, 100);
    emit stop_search_devices_thread_done();
    if (!found_devices) return;
    // One port searched, and another program has it: that is why nothing was found.
    const bool held = found_devices->isEmpty() && !heldPort_.isEmpty();
    if (held) noScaleReason_ = weighdesk::portHeldMessage(heldPort_);
    const SelectedState state = searchPages_->selectedState();
    if (state == SelectedState::AutoSearch) {
        foundByAutoSearch(*found_devices);
    } else if (state == SelectedState::Checking) {
        if (!found_devices->isEmpty()) checked_ = found_devices->first();
        setSelectedState(found_devices->isEmpty() ? SelectedState::Idle : SelectedState::Found);
    }
    if (held && currentPage_ == kSelected) searchPages_->showPortHeld(heldPort_);
}

void MainWindow::foundByAutoSearch(const QList<ConnectionParams>& found) {
    weighdesk::look::applyHeaderLook(*this, mode_, weighdesk::look::HeaderLook::Main);
    if (found.isEmpty()) {
        enterPage(kSelected);
        return;
    }
    searchPages_->fillDeviceList(found);
    if (found.size() > 1) {
        enterPage(kDevices);
        return;
    }
    selected_ = found.first();
    connectSelected([this] { enterPage(kMain); },
                    [this] {
                        searchPages_->showRepeatOnly();
                        enterPage(kDevices);
                    });
}

void MainWindow::gui_set_progress(int value) {
    searchPages_->setProgress(currentPage_, value);
}

void MainWindow::on_pb_search_repeat_clicked() {
    if (busy_) return;
    enterPage(kSearch);
}

void MainWindow::on_pb_search_cancel_clicked() {
    if (busy_) return;
    if (search_->isRunning()) {
        ui_->lbl_search_progress->setText(QStringLiteral("Отмена поиска..."));
        search_->cancel();
    }
    ui_->lbl_search_progress->setText(QStringLiteral("Поиск весов..."));
    enterPage(kSelected);
}

void MainWindow::on_pb_select_device_clicked() {
    if (!selected_ || busy_) return;
    connectSelected([this] { enterPage(kMain); }, [this] { enterPage(kDevices); });
}

void MainWindow::on_pb_selected_check_clicked() {
    if (busy_) return;
    const SelectedState state = searchPages_->selectedState();
    if (state == SelectedState::Idle || state == SelectedState::Found) {
        // An empty port text would mean every port; with nothing listed there is nothing to check.
        if (searchPages_->chosenPort().isEmpty()) return;
        portText_ = searchPages_->chosenPort();
        checked_.reset();
        setSelectedState(SelectedState::Checking);
        startSearch(portText_);
    } else if (state == SelectedState::Checking) {
        setSelectedState(SelectedState::Stopping);
        if (search_->isRunning()) search_->cancel();
        setSelectedState(SelectedState::Idle);
    }
}

void MainWindow::on_pb_selected_apply_clicked() {
    if (searchPages_->selectedState() != SelectedState::Found || busy_) return;
    selected_ = checked_;
    connectSelected([this] { enterPage(kMain); }, [this] { setSelectedState(SelectedState::Idle); });
}

void MainWindow::on_pb_selected_autosearch_clicked() {
    if (busy_) return;
    const SelectedState state = searchPages_->selectedState();
    if (state == SelectedState::Checking || state == SelectedState::Stopping) return;
    setSelectedState(SelectedState::AutoSearch);
    enterPage(kSearch);
}

// ---- Weighing and the lost connection

void MainWindow::on_pb_tare_clicked() {
    if (!busy_) weighing_->tare();
}

void MainWindow::on_pb_zero_clicked() {
    if (!busy_) weighing_->zero();
}

// The weight on screen stops being current at once; the page waits, greyed, for the reconnect.
void MainWindow::handleLostConnection() {
    if (recovering_ || closing_) return;
    recovering_ = true;
    errors_->showMessage(QStringLiteral("Потеряно соединение. Попытка восстановить"), 10000);
    weighing_->stopPolling();
    weighing_->showNoReading();
    setBusy(true);
    line_->run([connection = connection_.get()] { connection->close(); });
    reconnectTimer_.start();
}

void MainWindow::reconnect() {
    const auto reconnected = [this](ErrorCase ecase, const ConnectionParams& scale) {
        recovering_ = false;
        if (ecase != ErrorCase::Correct) {
            errors_->showMessage(QStringLiteral("Потеряно соединение. Приложение закрывается"), 4000);
            QTimer::singleShot(4000, this, &QWidget::close);
            return;
        }
        selected_ = scale;
        enterPage(currentPage_);
    };
    setBusy(false);
    if (!selected_) {
        reconnected(ErrorCase::UnableToOpenSerialPort, ConnectionParams());
        return;
    }
    connectScale(*selected_, reconnected);
}

// ---- Navigation

void MainWindow::on_pb_menu_clicked() {
    if (!busy_) enterPage(kMenu);
}

void MainWindow::on_pb_minimize_clicked() {
    showMinimized();
}

void MainWindow::on_pb_exit_clicked() {
    close();
}

void MainWindow::on_pb_about_clicked() {
    info_dialog::showAbout(mode_ == WindowMode::Desktop, weighdesk::look::usesSmallLook(mode_), this);
}

void MainWindow::on_pb_calibration_clicked() {
    enterPage(kCalibration);
}

void MainWindow::on_pb_info_clicked() {
    if (!busy_) enterPage(kInfo);
}

void MainWindow::on_pb_back_to_main_clicked() {
    enterPage(kMain);
}

void MainWindow::on_pb_calibration_weight_cancel_clicked() {
    enterPage(kCalibrationZero);
}

void MainWindow::on_pb_calibration_zero_cancel_clicked() {
    enterPage(kCalibration);
}

void MainWindow::on_pb_calibration_finish_clicked() {
    enterPage(kMenu);
}

void MainWindow::on_pb_calibration_back_to_menu_clicked() {
    enterPage(kMenu);
}

void MainWindow::on_pb_info_back_to_menu_clicked() {
    enterPage(kMenu);
}

void MainWindow::on_pb_close_error_message_clicked() {
    errors_->hide();
}

void MainWindow::on_pb_calibration_begin_clicked() {
    calibration_->checkPassword();
}
void MainWindow::on_pb_calibration_zero_clicked() {
    calibration_->calibrateZero();
}
void MainWindow::on_pb_calibration_weight_clicked() {
    calibration_->calibrateWeight();
}

// ---- Keypads: they type into the entry of page 5 or 7.

void MainWindow::pb_1_clicked() {
    calibration_->pressDigit(1);
}
void MainWindow::pb_2_clicked() {
    calibration_->pressDigit(2);
}
void MainWindow::pb_3_clicked() {
    calibration_->pressDigit(3);
}
void MainWindow::pb_4_clicked() {
    calibration_->pressDigit(4);
}
void MainWindow::pb_5_clicked() {
    calibration_->pressDigit(5);
}
void MainWindow::pb_6_clicked() {
    calibration_->pressDigit(6);
}
void MainWindow::pb_7_clicked() {
    calibration_->pressDigit(7);
}
void MainWindow::pb_8_clicked() {
    calibration_->pressDigit(8);
}
void MainWindow::pb_9_clicked() {
    calibration_->pressDigit(9);
}
void MainWindow::pb_0_clicked() {
    calibration_->pressDigit(0);
}
void MainWindow::pb_00_clicked() {
    calibration_->pressDoubleZero();
}
void MainWindow::pb_erase_clicked() {
    calibration_->pressErase();
}

// ---- Window events

// The scale's protocol is restored on the line thread; the window closes once that has ended and
// the report is printed. A calibration under way gives up after its current attempt.
void MainWindow::closeEvent(QCloseEvent* event) {
    if (reportPrinted_) {
        event->accept();
        return;
    }
    event->ignore();
    if (closing_) return;
    closing_ = true;
    reconnectTimer_.stop();
    // The worker would poll in the old protocol while the scale switches back.
    weighing_->stopPolling();
    setBusy(true);
    line_->requestInterruption();
    line_->run(
        [connection = connection_.get(), scale = selected_]() mutable {
            if (scale) connection->restore(*scale);
        },
        [this] {
            weighdesk::printCloseReport(selected_, noScaleReason_);
            reportPrinted_ = true;
            close();
        });
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (busy_) {
        // Only a message waiting for its close button may still be put away.
        if (event->key() == Qt::Key_Escape && errors_->showsCloseButton()) errors_->hide();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        escapePressed();
    } else if (!calibration_->handleKey(event->key())) {
        // Digits, Backspace, Return and Enter belong to the calibration pages only.
        QMainWindow::keyPressEvent(event);
    }
}

void MainWindow::escapePressed() {
    if (errors_->showsCloseButton()) {
        errors_->hide();
        return;
    }
    if (currentPage_ == kSearch) {
        on_pb_search_cancel_clicked();
    } else if (currentPage_ == kMenu) {
        enterPage(kMain);
    } else if (currentPage_ == kCalibration || currentPage_ == kInfo) {
        enterPage(kMenu);
    }
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    if (mode_ != WindowMode::Desktop) return;
    dragging_ = true;
    pressPosition_ = event->position().toPoint();
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
    if (mode_ != WindowMode::Desktop || !dragging_) return;
    move(pos() + event->position().toPoint() - pressPosition_);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* /*event*/) {
    if (mode_ == WindowMode::Desktop) dragging_ = false;
}
