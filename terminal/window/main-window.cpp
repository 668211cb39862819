#include "main-window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

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

namespace weighdesk {

using look::WindowMode;
using Norvell::Balvex::CppWrapper::Driver;
using Norvell::Balvex::CppWrapper::ErrorCase;

namespace {

constexpr int kClosingNoticeMs = 4000;
constexpr int kLostLineNoticeMs = 10000;

}  // namespace

MainWindow::MainWindow(const std::string& port, QWidget* parent) : MainWindow(port, systemSerialPorts, parent) {}

MainWindow::MainWindow(const std::string& port, SerialPortLister allPorts, QWidget* parent)
    : QMainWindow(parent),
      ui_(std::make_unique<Ui::MainWindow>()),
      line_(std::make_unique<LineWorker>()),
      mode_(look::primaryScreenMode()) {
    ui_->setupUi(this);
    look::apply(*this, mode_);
    buildUnits(std::move(allPorts));
    buildPageUnits();
    connectKeys();
    enterPage(Page::Loader);
    // Without a usable driver the window still opens, and says why nothing will answer.
    if (const ErrorCase ecase = connection_->state(); ecase != ErrorCase::Correct) errors_->showError(ecase);
    startWithPort(QString::fromStdString(port));
}

MainWindow::~MainWindow() {
    closing_ = true;
    if (search_->isRunning()) search_->cancel();
    weighing_->stopPolling();
    connection_->close();
    // Waits for the calls under way; their results are not delivered any more.
    line_.reset();
}

void MainWindow::buildUnits(SerialPortLister allPorts) {
    errors_ = new ErrorStrip(ui_->w_error_message, ui_->lbl_error_messages, ui_->pb_close_error_message, this);
    search_ = new DeviceSearch(allPorts, this);
    searchPages_ = new SearchPages(*ui_, mode_, std::move(allPorts), *search_, this);
    weighing_ = new WeighingPage(*ui_, *errors_, *line_, mode_ == WindowMode::PortraitScreen, this);
    connection_ = new ScaleConnection(*line_, RecoveryFile::besideLogFolder(), this);

    connect(search_, &DeviceSearch::devices_search_finished, this, &MainWindow::searchFinished);
    connect(searchPages_, &SearchPages::deviceChosen, this,
            [this](const ConnectionParams& scale) { selected_ = scale; });
    connect(searchPages_, &SearchPages::checkedScaleApplied, this, [this](const ConnectionParams& scale) {
        selected_ = scale;
        connectSelected([this] { enterPage(Page::Main); },
                        [this] { searchPages_->setSelectedState(SelectedState::Idle); });
    });
    connect(searchPages_, &SearchPages::autoSearchRequested, this, [this] { enterPage(Page::Search); });
    connect(weighing_, &WeighingPage::connectionLost, this, &MainWindow::handleLostConnection);
    connect(connection_, &ScaleConnection::reconnected, this, &MainWindow::reconnected);
    connect(connection_, &ScaleConnection::reconnectFailed, this, &MainWindow::reconnectFailed);
}

// The calibration and information pages talk to the scale themselves; the error strip, the page
// flow and a lost line stay with the window.
void MainWindow::buildPageUnits() {
    Driver& driver = Driver::getInstanceLib();
    auto showError = [this](ErrorCase ecase) { errors_->showError(ecase); };
    CalibrationHooks calibrationHooks{
        [this](const QString& text, int autoCloseMs) { errors_->showMessage(text, autoCloseMs); },
        showError,
        [this](Page page) { enterPage(page); },
        [this](bool busy) { setBusy(busy); },
        [this] { handleLostConnection(); },
        [this]() -> ConnectionParams* { return selected_ ? &*selected_ : nullptr; }};
    calibration_ = new CalibrationPages(this, driver, *line_, std::move(calibrationHooks), this);
    info_ = std::make_unique<InfoPage>(this, driver, *line_, showError, mode_);
}

// The keys that move between pages or reach the window; the pages' own keys are their units'.
void MainWindow::connectKeys() {
    const std::pair<QPushButton*, Page> moves[] = {
        {ui_->pb_menu, Page::Menu}, {ui_->pb_back_to_main, Page::Main},      {ui_->pb_calibration, Page::Calibration},
        {ui_->pb_info, Page::Info}, {ui_->pb_info_back_to_menu, Page::Menu}, {ui_->pb_search_repeat, Page::Search},
    };
    for (const auto& [button, page] : moves) {
        connect(button, &QPushButton::clicked, this, [this, page = page] {
            if (!busy_) enterPage(page);
        });
    }
    connect(ui_->pb_minimize, &QPushButton::clicked, this, &QWidget::showMinimized);
    connect(ui_->pb_exit, &QPushButton::clicked, this, &QWidget::close);
    connect(ui_->pb_about, &QPushButton::clicked, this,
            [this] { info_dialog::showAbout(mode_ == WindowMode::Desktop, look::usesSmallLook(mode_), this); });
    connect(ui_->pb_tare, &QPushButton::clicked, weighing_, &WeighingPage::tare);
    connect(ui_->pb_zero, &QPushButton::clicked, weighing_, &WeighingPage::zero);
    connect(ui_->pb_search_cancel, &QPushButton::clicked, this, &MainWindow::cancelSearch);
    connect(ui_->pb_select_device, &QPushButton::clicked, this, [this] {
        if (selected_ && !busy_)
            connectSelected([this] { enterPage(Page::Main); }, [this] { enterPage(Page::Devices); });
    });
}

void MainWindow::startWithPort(const QString& port) {
    if (port.isEmpty()) {
        ui_->lbl_loader_header->setText(QStringLiteral("Загрузка..."));
        look::applyHeaderLook(*this, mode_, look::HeaderLook::Main);
        enterPage(Page::Selected);
        return;
    }
    ui_->lbl_loader_header->setText(QStringLiteral("Соединение с весами устанавливается (%1)").arg(port));
    searchPages_->startAutoSearch(port);
}

// ---- Pages

void MainWindow::enterPage(Page page) {
    if (closing_) return;
    if (page != Page::Main) weighing_->stopPolling();
    // Some pages show only once filled (the information page), or not at all.
    if (enterPageOwnStep(page)) showPage(page);
}

void MainWindow::showPage(Page page) {
    currentPage_ = page;
    if (page == Page::Main) {
        weighing_->startPolling(selected_ ? selected_->protocol : QString());
    } else {
        weighing_->stopPolling();
    }
    ui_->pb_menu->setVisible(page == Page::Main);
    ui_->sw_window_manager->setCurrentIndex(indexOf(page));
}

bool MainWindow::enterPageOwnStep(Page page) {
    switch (page) {
        case Page::Loader:
            ui_->progress_loader->setValue(0);
            break;
        case Page::Devices:
            dropSelection();
            break;
        case Page::Search:
            ui_->progress_search->setValue(0);
            searchPages_->startSearch(QString());
            break;
        case Page::Main:
            ui_->lbl_serial_number->setText(selected_ ? selected_->serialNumber : QString());
            break;
        case Page::Selected:
            searchPages_->enterSelectionPage();
            break;
        case Page::Calibration:
            calibration_->enterPasswordPage();
            break;
        case Page::CalibrationWeight:
            calibration_->enterWeightPage();
            break;
        case Page::Info:
            loadInfoPage();
            return false;
        default:
            break;
    }
    return true;
}

// The page that asked waits, greyed, until the table is read; a lost line leaves the information page unshown.
void MainWindow::loadInfoPage() {
    setBusy(true);
    info_->load([this](bool loaded) {
        setBusy(false);
        if (closing_) return;
        if (!loaded) {
            handleLostConnection();
            return;
        }
        showPage(Page::Info);
    });
}

void MainWindow::setBusy(bool busy) {
    busy_ = busy;
    if (busyPage_) busyPage_->setEnabled(true);
    busyPage_ = busy ? ui_->sw_window_manager->currentWidget() : nullptr;
    if (busyPage_) busyPage_->setEnabled(false);
}

// ---- Search, selection and connection

void MainWindow::connectSelected(std::function<void()> connected, std::function<void()> failed) {
    if (!selected_) return;
    setBusy(true);
    connection_->connectTo(*selected_, [this, connected = std::move(connected), failed = std::move(failed)](
                                           ErrorCase ecase, const ConnectionParams& scale) {
        setBusy(false);
        if (closing_) return;
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

void MainWindow::searchFinished(std::optional<QList<ConnectionParams>> found) {
    searchPages_->showProgress(100);
    if (!found) return;
    if (searchPages_->selectedState() == SelectedState::AutoSearch) foundByAutoSearch(*found);
    searchPages_->searchFinished(*found, currentPage_ == Page::Selected);
}

void MainWindow::foundByAutoSearch(const QList<ConnectionParams>& found) {
    look::applyHeaderLook(*this, mode_, look::HeaderLook::Main);
    if (found.isEmpty()) {
        enterPage(Page::Selected);
        return;
    }
    searchPages_->fillDeviceList(found);
    if (found.size() > 1) {
        enterPage(Page::Devices);
        return;
    }
    selected_ = found.first();
    connectSelected([this] { enterPage(Page::Main); },
                    [this] {
                        searchPages_->showRepeatOnly();
                        enterPage(Page::Devices);
                    });
}

void MainWindow::cancelSearch() {
    if (busy_) return;
    if (search_->isRunning()) {
        ui_->lbl_search_progress->setText(QStringLiteral("Отмена поиска..."));
        search_->cancel();
    }
    ui_->lbl_search_progress->setText(QStringLiteral("Поиск весов..."));
    enterPage(Page::Selected);
}

// ---- The lost line

// The weight on screen stops being current at once; the page waits, greyed, for the reconnect.
void MainWindow::handleLostConnection() {
    if (recovering_ || closing_) return;
    recovering_ = true;
    errors_->showMessage(QStringLiteral("Потеряно соединение. Попытка восстановить"), kLostLineNoticeMs);
    weighing_->stopPolling();
    weighing_->showNoReading();
    setBusy(true);
    if (selected_) {
        connection_->reconnectLater(*selected_);
    } else {
        reconnectFailed();
    }
}

void MainWindow::reconnected(const ConnectionParams& scale) {
    recovering_ = false;
    setBusy(false);
    selected_ = scale;
    enterPage(currentPage_);
}

void MainWindow::reconnectFailed() {
    recovering_ = false;
    setBusy(false);
    errors_->showMessage(QStringLiteral("Потеряно соединение. Приложение закрывается"), kClosingNoticeMs);
    QTimer::singleShot(kClosingNoticeMs, this, &QWidget::close);
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
    connection_->cancelReconnect();
    // The worker would poll in the old protocol while the scale switches back.
    weighing_->stopPolling();
    setBusy(true);
    line_->requestInterruption();
    connection_->restore(selected_, [this] {
        printCloseReport(selected_, searchPages_->noScaleReason());
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
    if (currentPage_ == Page::Search) {
        cancelSearch();
    } else if (currentPage_ == Page::Menu) {
        enterPage(Page::Main);
    } else if (currentPage_ == Page::Calibration || currentPage_ == Page::Info) {
        enterPage(Page::Menu);
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

}  // namespace weighdesk
