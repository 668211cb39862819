#include "main-window.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include "about-dialog.h"
#include "calibration-pages.h"
#include "close-report.h"
#include "device-search.h"
#include "error-strip.h"
#include "info-page.h"
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
    : QMainWindow(parent), ui_(std::make_unique<Ui::MainWindow>()), mode_(weighdesk::look::primaryScreenMode()) {
    ui_->setupUi(this);
    weighdesk::look::apply(*this, mode_);
    buildUnits(std::move(allPorts));
    buildPageUnits();
    enterPage(kLoader);
    // Without a usable driver the window still opens, and says why nothing will answer.
    if (const ErrorCase ecase = connection_->state(); ecase != ErrorCase::Correct) errors_->showError(ecase);
    startWithPort(QString::fromStdString(port));
}

MainWindow::~MainWindow() {
    if (search_->isRunning()) search_->cancel();
    weighing_->stopPolling();
    connection_->close();
}

void MainWindow::buildUnits(SerialPortLister allPorts) {
    errors_ =
        new weighdesk::ErrorStrip(ui_->w_error_message, ui_->lbl_error_messages, ui_->pb_close_error_message, this);
    searchPages_ = new weighdesk::SearchPages(*ui_, mode_, allPorts, this);
    search_ = new DeviceSearch(std::move(allPorts), this);
    weighing_ = new weighdesk::WeighingPage(*ui_, *errors_, mode_ == WindowMode::PortraitScreen, this);
    connection_ = std::make_unique<weighdesk::ScaleConnection>(weighdesk::RecoveryFile::besideLogFolder());

    connect(searchPages_, &weighdesk::SearchPages::deviceChosen, this, &MainWindow::pb_interface_clicked);
    connect(search_, &DeviceSearch::devices_search_finished, this, &MainWindow::devices_search_finished);
    connect(search_, &DeviceSearch::set_progress_value, this, &MainWindow::gui_set_progress);
    connect(weighing_, &weighdesk::WeighingPage::connectionLost, this, &MainWindow::handleLostConnection);
    connectKeypads();
}

// The calibration and information pages talk to the scale themselves; the error strip, the page
// flow and a lost line stay with the window.
void MainWindow::buildPageUnits() {
    Driver& driver = Driver::getInstanceLib();
    auto showError = [this](ErrorCase ecase) { errors_->showError(ecase); };
    auto lost = [this] { handleLostConnection(); };
    weighdesk::CalibrationHooks calibrationHooks{
        [this](const QString& text, int autoCloseMs) { errors_->showMessage(text, autoCloseMs); },
        showError,
        [this](int page) { enterPage(page); },
        weighdesk::isLostConnection,
        lost,
        [this]() -> ConnectionParams* { return selected_ ? &*selected_ : nullptr; }};
    calibration_ = new weighdesk::CalibrationPages(this, driver, std::move(calibrationHooks), this);
    info_ = std::make_unique<weighdesk::InfoPage>(
        this, driver, weighdesk::InfoHooks{showError, weighdesk::isLostConnection, lost}, mode_);
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
    search_->start(port);
}

void MainWindow::enterPage(int page) {
    if (page > kSelected) return;
    // A page that could not be filled (the line was lost reading it) does not show.
    if (!enterPageOwnStep(page)) return;
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
            selected_.reset();
            break;
        case kSearch:
            ui_->progress_search->setValue(0);
            search_->start(QString());
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
            return info_->load();
        default:
            break;
    }
    return true;
}

void MainWindow::setSelectedState(SelectedState state) {
    searchPages_->setSelectedState(state, portText_, checked_);
}

bool MainWindow::connectSelected() {
    if (!selected_) return false;
    const ErrorCase ecase = connection_->connect(*selected_);
    if (ecase != ErrorCase::Correct) {
        errors_->showError(ecase);
        return false;
    }
    weighing_->prepare(selected_->protocol);
    return true;
}

void MainWindow::goToMainPage() {
    enterPage(kMain);
}

// ---- Search and selection

void MainWindow::pb_interface_clicked(const ConnectionParams& scale) {
    selected_ = scale;
}

void MainWindow::devices_search_finished(std::optional<QList<ConnectionParams>> found_devices) {
    searchPages_->setProgress(currentPage_, 100);
    emit stop_search_devices_thread_done();
    if (!found_devices) return;
    const SelectedState state = searchPages_->selectedState();
    if (state == SelectedState::AutoSearch) {
        foundByAutoSearch(*found_devices);
    } else if (state == SelectedState::Checking) {
        if (!found_devices->isEmpty()) checked_ = found_devices->first();
        setSelectedState(found_devices->isEmpty() ? SelectedState::Idle : SelectedState::Found);
    }
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
    if (connectSelected()) {
        goToMainPage();
        return;
    }
    searchPages_->showRepeatOnly();
    enterPage(kDevices);
}

void MainWindow::gui_set_progress(int value) {
    searchPages_->setProgress(currentPage_, value);
}

void MainWindow::on_pb_search_repeat_clicked() {
    enterPage(kSearch);
}

void MainWindow::on_pb_search_cancel_clicked() {
    if (search_->isRunning()) {
        ui_->lbl_search_progress->setText(QStringLiteral("Отмена поиска..."));
        search_->cancel();
    }
    ui_->lbl_search_progress->setText(QStringLiteral("Поиск весов..."));
    enterPage(kSelected);
}

void MainWindow::on_pb_select_device_clicked() {
    if (!selected_) return;
    if (connectSelected()) {
        goToMainPage();
    } else {
        enterPage(kDevices);
    }
}

void MainWindow::on_pb_selected_check_clicked() {
    const SelectedState state = searchPages_->selectedState();
    if (state == SelectedState::Idle || state == SelectedState::Found) {
        // An empty port text would mean every port; with nothing listed there is nothing to check.
        if (searchPages_->chosenPort().isEmpty()) return;
        portText_ = searchPages_->chosenPort();
        checked_.reset();
        setSelectedState(SelectedState::Checking);
        search_->start(portText_);
    } else if (state == SelectedState::Checking) {
        setSelectedState(SelectedState::Stopping);
        if (search_->isRunning()) search_->cancel();
        setSelectedState(SelectedState::Idle);
    }
}

void MainWindow::on_pb_selected_apply_clicked() {
    if (searchPages_->selectedState() != SelectedState::Found) return;
    selected_ = checked_;
    if (connectSelected()) {
        goToMainPage();
    } else {
        setSelectedState(SelectedState::Idle);
    }
}

void MainWindow::on_pb_selected_autosearch_clicked() {
    const SelectedState state = searchPages_->selectedState();
    if (state == SelectedState::Checking || state == SelectedState::Stopping) return;
    setSelectedState(SelectedState::AutoSearch);
    enterPage(kSearch);
}

// ---- Weighing and the lost connection

void MainWindow::on_pb_tare_clicked() {
    weighing_->tare();
}

void MainWindow::on_pb_zero_clicked() {
    weighing_->zero();
}

void MainWindow::handleLostConnection() {
    if (recovering_) return;
    recovering_ = true;
    errors_->showMessage(QStringLiteral("Потеряно соединение. Попытка восстановить"), 10000);
    weighing_->stopPolling();
    connection_->close();
    QEventLoop wait;
    QTimer::singleShot(kReconnectDelayMs, &wait, &QEventLoop::quit);
    wait.exec();
    const bool reconnected = selected_ && connection_->connect(*selected_) == ErrorCase::Correct;
    recovering_ = false;
    if (!reconnected) {
        errors_->showMessage(QStringLiteral("Потеряно соединение. Приложение закрывается"), 4000);
        QTimer::singleShot(4000, this, &QWidget::close);
        return;
    }
    enterPage(currentPage_);
}

// ---- Navigation

void MainWindow::on_pb_menu_clicked() {
    enterPage(kMenu);
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
    enterPage(kInfo);
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

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!reportPrinted_) {
        // The worker would poll in the old protocol while the scale switches back.
        weighing_->stopPolling();
        if (selected_) connection_->restore(*selected_);
        weighdesk::printCloseReport(selected_);
        reportPrinted_ = true;
    }
    event->accept();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
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
