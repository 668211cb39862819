#include "calibration-pages.h"

#include <QEventLoop>
#include <QLabel>
#include <QStackedWidget>
#include <QTimer>
#include <stdexcept>

#include "permanent.h"

namespace weighdesk {

using Norvell::Balvex::CppWrapper::Command;
using Norvell::Balvex::CppWrapper::Driver;
using Norvell::Balvex::CppWrapper::ErrorCase;
using Norvell::Balvex::CppWrapper::ParamType;

namespace {

// Compared as plain text.
constexpr char kCalibrationPassword[] = "8527";

constexpr int kZeroSeries = 5;
constexpr int kZeroAttemptsPerSeries = 10;
constexpr int kZeroSeriesPauseMs = 100;
constexpr int kWeightAttempts = 10;
constexpr int kLightestReferenceKg = 3;
constexpr int kShortNoticeMs = 1500;
constexpr int kRefusalNoticeMs = 2000;

template <typename Widget>
Widget* findRequired(QWidget* root, const char* name) {
    auto* widget = root->findChild<Widget*>(QString::fromLatin1(name));
    if (widget == nullptr) throw std::logic_error(std::string("calibration pages: no widget ") + name);
    return widget;
}

bool isEnterKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

CalibrationPages::CalibrationPages(QWidget* root, Driver& driver, CalibrationHooks hooks, QObject* parent)
    : QObject(parent),
      pages_(findRequired<QStackedWidget>(root, "sw_window_manager")),
      passwordPage_(findRequired<QWidget>(root, "page_calibration")),
      weightPage_(findRequired<QWidget>(root, "page_calibration_weight")),
      zeroPage_(findRequired<QWidget>(root, "page_calibration_zero")),
      resultPage_(findRequired<QWidget>(root, "page_calibration_result")),
      passwordLabel_(findRequired<QLabel>(root, "lbl_calibration_input")),
      weightLabel_(findRequired<QLabel>(root, "lbl_calibration_weight_input")),
      counterLabel_(findRequired<QLabel>(root, "lbl_calibration_result_counter")),
      driver_(driver),
      hooks_(std::move(hooks)) {
    enterPasswordPage();
    enterWeightPage();
}

CalibrationPages::~CalibrationPages() = default;

void CalibrationPages::enterPasswordPage() {
    password_ = std::make_unique<KeypadInput>(passwordLabel_, QString(), QString(), true, "^[0-9.]{1,10}$", QString());
}

void CalibrationPages::enterWeightPage() {
    weight_ = std::make_unique<KeypadInput>(weightLabel_, "15", "0", false, "^[1-9][0-9]{0,9}$", "кг");
}

void CalibrationPages::checkPassword() {
    if (password_->text() == QLatin1String(kCalibrationPassword)) {
        hooks_.enterPage(kZeroPage);
        return;
    }
    password_->set(QString());
    hooks_.showMessage("Неверный пароль", kShortNoticeMs);
}

void CalibrationPages::calibrateZero() {
    if (busy_) return;
    busy_ = true;
    ZeroOutcome outcome = ZeroOutcome::Refused;
    for (int series = 0; series < kZeroSeries && outcome == ZeroOutcome::Refused; ++series) {
        outcome = zeroCalibrationSeries();
        if (outcome == ZeroOutcome::Refused) pause(kZeroSeriesPauseMs);
    }
    busy_ = false;
    if (outcome == ZeroOutcome::LineLost) {
        hooks_.connectionLost();
    } else if (outcome == ZeroOutcome::Refused) {
        hooks_.showMessage("Калибровка нулевым весом не удалась!", kRefusalNoticeMs);
    } else {
        readMaxWeight();
    }
}

// A lost line ends the series at once instead of failing the remaining attempts.
CalibrationPages::ZeroOutcome CalibrationPages::zeroCalibrationSeries() {
    for (int attempt = 0; attempt < kZeroAttemptsPerSeries; ++attempt) {
        ErrorCase ecase = ErrorCase::Correct;
        driver_.exeCommand(Command::ZeroScaleCalibration, ecase);
        if (ecase == ErrorCase::Correct) return ZeroOutcome::Calibrated;
        if (lost(ecase)) return ZeroOutcome::LineLost;
    }
    return ZeroOutcome::Refused;
}

void CalibrationPages::readMaxWeight() {
    ErrorCase ecase = ErrorCase::Correct;
    const std::string text = driver_.exeGettingCommand(Command::GetMaxWeight, ParamType::MaxWeight, ecase);
    if (lost(ecase)) {
        hooks_.connectionLost();
        return;
    }
    bool isNumber = false;
    const int value = QString::fromStdString(text).toInt(&isNumber);
    maxWeight_ = ecase == ErrorCase::Correct && isNumber ? value : -1;
    hooks_.enterPage(kWeightPage);
    if (maxWeight_ == -1) hooks_.showMessage("Не удалось получить максимальный вес весов!", kShortNoticeMs);
}

void CalibrationPages::calibrateWeight() {
    const QString text = weight_->text();
    if (!weightWithinBounds(text)) return;
    // The scale takes whole kilograms as at least four digits.
    sendWeightCalibration(text.rightJustified(4, QLatin1Char('0')));
}

bool CalibrationPages::weightWithinBounds(const QString& text) {
    bool isNumber = false;
    qlonglong kilograms = text.toLongLong(&isNumber);
    if (!isNumber) kilograms = 0;
    if (kilograms < kLightestReferenceKg) {
        hooks_.showMessage("Нельзя калибровать весом меньше 3 кг!", kRefusalNoticeMs);
        return false;
    }
    if (kilograms > maxWeight_) {
        hooks_.showMessage("Нельзя калибровать весом больше максимального!", kRefusalNoticeMs);
        return false;
    }
    return true;
}

void CalibrationPages::sendWeightCalibration(const QString& value) {
    ErrorCase ecase = ErrorCase::Correct;
    for (int attempt = 0; attempt < kWeightAttempts; ++attempt) {
        driver_.exeSettingCommand(Command::SetWeightScaleCalibrationParameters,
                                  ParamType::WeightScaleCalibrationParameters, value.toStdString(), ecase);
        if (ecase != ErrorCase::DeviceIsNotStabilized) break;
    }
    if (lost(ecase)) {
        hooks_.connectionLost();
    } else if (ecase != ErrorCase::Correct) {
        hooks_.showMessage("Калибровка ненулевым весом с параметрами не удалась!", kRefusalNoticeMs);
    } else {
        finishWithCounter();
    }
}

void CalibrationPages::finishWithCounter() {
    ErrorCase ecase = ErrorCase::Correct;
    const QString count = QString::fromStdString(
        driver_.exeGettingCommand(Command::GetCountOfCalibration, ParamType::CountOfCalibration, ecase));
    if (lost(ecase)) {
        hooks_.connectionLost();
        return;
    }
    if (ecase != ErrorCase::Correct) {
        hooks_.showError(ecase);
        return;
    }
    counterLabel_->setText(count);
    // The close report takes the count from the selected scale.
    if (ConnectionParams* scale = hooks_.selectedScale()) scale->calibrationCount = count.toInt();
    hooks_.enterPage(kResultPage);
}

void CalibrationPages::pressDigit(int digit) {
    if (KeypadInput* entry = shownEntry(); entry != nullptr && digit >= 0 && digit <= 9)
        entry->type(QChar(u'0' + digit));
}

void CalibrationPages::pressDoubleZero() {
    if (KeypadInput* entry = shownEntry()) {
        entry->type(u'0');
        entry->type(u'0');
    }
}

void CalibrationPages::pressErase() {
    if (KeypadInput* entry = shownEntry()) entry->erase();
}

bool CalibrationPages::handleKey(int key) {
    if (isEnterKey(key) && pageShows(resultPage_)) {
        hooks_.enterPage(kMenuPage);
        return true;
    }
    if (isEnterKey(key) && pageShows(zeroPage_)) {
        calibrateZero();
        return true;
    }
    KeypadInput* entry = shownEntry();
    if (entry == nullptr) return false;
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        pressDigit(key - Qt::Key_0);
    } else if (key == Qt::Key_Backspace) {
        entry->erase();
    } else if (isEnterKey(key)) {
        entry == password_.get() ? checkPassword() : calibrateWeight();
    } else {
        return false;
    }
    return true;
}

bool CalibrationPages::lost(ErrorCase ecase) const {
    if (ecase == ErrorCase::Correct) return false;
    return hooks_.isConnectionLost ? hooks_.isConnectionLost(ecase) : ecase == ErrorCase::UnableToOpenSerialPort;
}

KeypadInput* CalibrationPages::shownEntry() const {
    if (pageShows(passwordPage_)) return password_.get();
    if (pageShows(weightPage_)) return weight_.get();
    return nullptr;
}

bool CalibrationPages::pageShows(QWidget* page) const {
    return pages_->currentWidget() == page;
}

// The window keeps painting and answering while the scale rests.
void CalibrationPages::pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace weighdesk
