#include "calibration-pages.h"

#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QThread>
#include <stdexcept>

#include "line-worker.h"
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

CalibrationPages::CalibrationPages(QWidget* root, Driver& driver, LineWorker& line, CalibrationHooks hooks,
                                   QObject* parent)
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
      line_(line),
      hooks_(std::move(hooks)) {
    enterPasswordPage();
    enterWeightPage();
    connectKeys(root);
}

void CalibrationPages::connectKeys(QWidget* root) {
    const auto onClick = [this, root](const QString& name, auto action) {
        connect(findRequired<QPushButton>(root, name.toLatin1().constData()), &QPushButton::clicked, this, action);
    };
    onClick("pb_calibration_begin", [this] { checkPassword(); });
    onClick("pb_calibration_zero", [this] { calibrateZero(); });
    onClick("pb_calibration_weight", [this] { calibrateWeight(); });
    const std::pair<const char*, Page> moves[] = {
        {"pb_calibration_zero_cancel", Page::Calibration},
        {"pb_calibration_weight_cancel", Page::CalibrationZero},
        {"pb_calibration_finish", Page::Menu},
        {"pb_calibration_back_to_menu", Page::Menu},
    };
    for (const auto& [name, page] : moves) onClick(name, [this, page = page] { hooks_.enterPage(page); });
    for (const QString keypad : {"password", "weight"}) {
        for (int digit = 0; digit <= 9; ++digit) {
            onClick(QStringLiteral("pb_%1_%2").arg(keypad).arg(digit), [this, digit] { pressDigit(digit); });
        }
        onClick(QStringLiteral("pb_%1_dot").arg(keypad), [this] { pressDoubleZero(); });
        onClick(QStringLiteral("pb_%1_erase").arg(keypad), [this] { pressErase(); });
    }
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
        hooks_.enterPage(Page::CalibrationZero);
        return;
    }
    password_->set(QString());
    hooks_.showMessage("Неверный пароль", kShortNoticeMs);
}

// Up to five series of ten attempts, a pause after each refused series, then the maximum weight.
void CalibrationPages::calibrateZero() {
    if (busy_) return;
    setBusy(true);
    line_.run(
        [&driver = driver_, &line = line_] {
            ZeroResult result;
            for (int series = 0; series < kZeroSeries && result.outcome == Outcome::Refused; ++series) {
                for (int attempt = 0; attempt < kZeroAttemptsPerSeries && !line.interruptionRequested(); ++attempt) {
                    ErrorCase ecase = ErrorCase::Correct;
                    driver.exeCommand(Command::ZeroScaleCalibration, ecase);
                    // A lost line ends the series at once instead of failing the remaining attempts.
                    const LineResult attemptResult = LineResult::of(ecase);
                    if (attemptResult.ok() || attemptResult.lost) {
                        result.outcome = attemptResult.ok() ? Outcome::Done : Outcome::LineLost;
                        break;
                    }
                }
                if (result.outcome == Outcome::Refused) QThread::msleep(kZeroSeriesPauseMs);
            }
            if (result.outcome != Outcome::Done) return result;
            ErrorCase ecase = ErrorCase::Correct;
            const QString text =
                QString::fromStdString(driver.exeGettingCommand(Command::GetMaxWeight, ParamType::MaxWeight, ecase));
            if (LineResult::of(ecase).lost) {
                result.outcome = Outcome::LineLost;
                return result;
            }
            bool isNumber = false;
            const int value = text.toInt(&isNumber);
            if (ecase == ErrorCase::Correct && isNumber) result.maxWeight = value;
            return result;
        },
        [this](const ZeroResult& result) { zeroCalibrated(result); });
}

void CalibrationPages::zeroCalibrated(const ZeroResult& result) {
    setBusy(false);
    if (result.outcome == Outcome::LineLost) {
        hooks_.connectionLost();
    } else if (result.outcome == Outcome::Refused) {
        hooks_.showMessage("Калибровка нулевым весом не удалась!", kRefusalNoticeMs);
    } else {
        maxWeight_ = result.maxWeight;
        hooks_.enterPage(Page::CalibrationWeight);
        if (maxWeight_ == -1) hooks_.showMessage("Не удалось получить максимальный вес весов!", kShortNoticeMs);
    }
}

void CalibrationPages::calibrateWeight() {
    if (busy_) return;
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

// Attempts again only while the scale is not stable, then reads the calibration counter.
void CalibrationPages::sendWeightCalibration(const QString& value) {
    setBusy(true);
    line_.run(
        [&driver = driver_, &line = line_, value = value.toStdString()] {
            ErrorCase ecase = ErrorCase::Correct;
            for (int attempt = 0; attempt < kWeightAttempts && !line.interruptionRequested(); ++attempt) {
                driver.exeSettingCommand(Command::SetWeightScaleCalibrationParameters,
                                         ParamType::WeightScaleCalibrationParameters, value, ecase);
                if (ecase != ErrorCase::DeviceIsNotStabilized) break;
            }
            WeightResult result;
            const LineResult calibration = LineResult::of(ecase);
            if (!calibration.ok()) {
                result.outcome = calibration.lost ? Outcome::LineLost : Outcome::Refused;
                return result;
            }
            result.counter = QString::fromStdString(
                driver.exeGettingCommand(Command::GetCountOfCalibration, ParamType::CountOfCalibration, ecase));
            result.counterError = ecase;
            result.outcome = LineResult::of(ecase).lost ? Outcome::LineLost : Outcome::Done;
            return result;
        },
        [this](const WeightResult& result) { weightCalibrated(result); });
}

void CalibrationPages::weightCalibrated(const WeightResult& result) {
    setBusy(false);
    if (result.outcome == Outcome::LineLost) {
        hooks_.connectionLost();
    } else if (result.outcome == Outcome::Refused) {
        hooks_.showMessage("Калибровка ненулевым весом с параметрами не удалась!", kRefusalNoticeMs);
    } else if (result.counterError != ErrorCase::Correct) {
        hooks_.showError(result.counterError);
    } else {
        counterLabel_->setText(result.counter);
        // The close report takes the count from the selected scale.
        if (ConnectionParams* scale = hooks_.selectedScale()) scale->calibrationCount = result.counter.toInt();
        hooks_.enterPage(Page::CalibrationResult);
    }
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
    // A step runs: its page's keys are ignored, so no second step starts.
    if (busy_) return pageShows(passwordPage_) || pageShows(zeroPage_) || pageShows(weightPage_);
    if (isEnterKey(key) && pageShows(resultPage_)) {
        hooks_.enterPage(Page::Menu);
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

// None while a step runs: the entry must not change under a calibration that uses it.
KeypadInput* CalibrationPages::shownEntry() const {
    if (busy_) return nullptr;
    if (pageShows(passwordPage_)) return password_.get();
    if (pageShows(weightPage_)) return weight_.get();
    return nullptr;
}

bool CalibrationPages::pageShows(QWidget* page) const {
    return pages_->currentWidget() == page;
}

void CalibrationPages::setBusy(bool busy) {
    busy_ = busy;
    if (hooks_.setBusy) hooks_.setBusy(busy);
}

}  // namespace weighdesk
