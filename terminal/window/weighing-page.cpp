#include "weighing-page.h"

#include <algorithm>

#include "driver/reading.h"
#include "error-strip.h"
#include "line-worker.h"
#include "permanent.h"
#include "ui_main-window.h"
#include "weight-text.h"

namespace weighdesk {

using Norvell::Balvex::CppWrapper::Command;
using Norvell::Balvex::CppWrapper::Driver;
using Norvell::Balvex::CppWrapper::ErrorCase;
using Clock = std::chrono::steady_clock;

namespace {

// A reading older than this is not shown as the weight on the platform. Readings come about every
// 70 ms; a scale that stops answering is shown as such within a second of its last reading.
constexpr auto kReadingLifetime = std::chrono::milliseconds(800);
constexpr int kReadingAgeCheckMs = 50;

driver::ProtocolFamily familyOf(const QString& protocol) {
    return driver::FamilyOf(protocol.toStdString());
}

bool pollable(const QString& protocol) {
    const driver::ProtocolFamily family = familyOf(protocol);
    return family == driver::ProtocolFamily::Pos || family == driver::ProtocolFamily::Cas;
}

}  // namespace

WeighingPage::WeighingPage(Ui::MainWindow& ui, ErrorStrip& errors, LineWorker& line, bool portraitScreen,
                           QObject* parent)
    : QObject(parent), ui_(ui), errors_(errors), line_(line), portraitScreen_(portraitScreen) {
    connect(&weightPolling_, &WeightPolling::ready_data, this, &WeighingPage::showReading);
    readingAge_.setInterval(kReadingAgeCheckMs);
    connect(&readingAge_, &QTimer::timeout, this, &WeighingPage::checkReadingAge);
}

// Nothing has been read yet: no weight is shown until the first reading, not even a zero.
void WeighingPage::prepare(const QString& protocol) {
    ui_.w_tare_weight->setVisible(familyOf(protocol) == driver::ProtocolFamily::Pos);
    showNoNumber();
}

void WeighingPage::startPolling(const QString& protocol) {
    if (!polling_ && pollable(protocol)) {
        // A scale that gives nothing in this session is announced afresh.
        noReading_ = false;
        pollingSince_ = Clock::now();
        weightPolling_.start();
        readingAge_.start();
    }
    polling_ = true;
}

void WeighingPage::stopPolling() {
    // Cleared first: readings served while the worker winds down are dropped.
    polling_ = false;
    readingAge_.stop();
    if (weightPolling_.isRunning()) weightPolling_.stop();
}

void WeighingPage::tare() {
    runKey(Command::SetTare);
}

void WeighingPage::zero() {
    runKey(Command::SetZero);
}

void WeighingPage::showReading(const WeightChannelData& data, ErrorCase ecase) {
    // A timed-out exchange says nothing new; the age of the weight on screen tells.
    if (!polling_ || ecase == ErrorCase::BoostTimeOut) return;
    if (ecase == ErrorCase::UnableToOpenSerialPort) {
        emit connectionLost();
        return;
    }
    if (ecase != ErrorCase::Correct) {
        // While the scale gives no reading the strip says so; how each exchange failed adds nothing.
        if (!noReading_) errors_.showError(ecase);
        return;
    }
    if (!isCurrent(data)) return;
    shownReadingTakenAt_ = data.takenAt;
    if (noReading_) {
        noReading_ = false;
        errors_.hideMessage(kScaleDoesNotAnswer);
    }
    lastUnit_ = data.unit;
    if (data.overload) {
        ui_.lbl_net_weight->hide();
        ui_.lbl_net_weight_error->show();
        // Renewed by every overloaded reading, so it stays while the overload lasts.
        errors_.showMessage(QStringLiteral("Перегруз"), 100);
    } else {
        showNumber(data);
    }
    showMarksAndTare(data);
}

// Taken since polling began and young enough; what the worker kept from before is not current.
bool WeighingPage::isCurrent(const WeightChannelData& data) const {
    return data.takenAt >= pollingSince_ && Clock::now() - data.takenAt < kReadingLifetime;
}

void WeighingPage::checkReadingAge() {
    if (!polling_ || noReading_) return;
    const Clock::time_point newest = std::max(shownReadingTakenAt_, pollingSince_);
    if (Clock::now() - newest < kReadingLifetime) return;
    showNoReading();
    errors_.showMessage(kScaleDoesNotAnswer);
}

void WeighingPage::showNoReading() {
    noReading_ = true;
    showNoNumber();
}

void WeighingPage::showNoNumber() {
    ui_.lbl_net_weight->show();
    ui_.lbl_net_weight_error->hide();
    ui_.lbl_net_weight->setText(noReadingRichText(portraitScreen_));
    showMarks(false, false);
    showTareLine(noReadingTareLineText());
}

// The keys stay greyed while their call runs; a press meanwhile is ignored.
void WeighingPage::runKey(Command command) {
    if (keyRunning_) return;
    keyRunning_ = true;
    ui_.pb_tare->setEnabled(false);
    ui_.pb_zero->setEnabled(false);
    line_.run(
        [command] {
            ErrorCase ecase = ErrorCase::Correct;
            Driver::getInstanceLib().exeCommand(command, ecase);
            return LineResult::of(ecase);
        },
        [this](const LineResult& result) { keyDone(result); });
}

void WeighingPage::keyDone(const LineResult& result) {
    keyRunning_ = false;
    ui_.pb_tare->setEnabled(true);
    ui_.pb_zero->setEnabled(true);
    if (result.lost) {
        emit connectionLost();
    } else if (!result.ok()) {
        errors_.showError(result.ecase);
    }
}

void WeighingPage::showNumber(const WeightChannelData& data) {
    ui_.lbl_net_weight->show();
    ui_.lbl_net_weight_error->hide();
    ui_.lbl_net_weight->setText(netWeightRichText(data, portraitScreen_));
}

// Overloaded or not, a reading's marks and tare are shown.
void WeighingPage::showMarksAndTare(const WeightChannelData& data) {
    const WeightMarks marks = marksOf(data);
    showMarks(marks.zero, marks.stable);
    showTareLine(tareLineText(data.tare, lastUnit_));
}

void WeighingPage::showTareLine(const QString& text) {
    ui_.lbl_tare_weight->setText(text);
    ui_.lbl_tare_weight->adjustSize();
}

// Shown inactive, a mark is its grey counterpart.
void WeighingPage::showMarks(bool zero, bool stable) {
    ui_.lbl_mark_zero->setVisible(zero);
    ui_.lbl_mark_non_zero->setVisible(!zero);
    ui_.lbl_mark_stable->setVisible(stable);
    ui_.lbl_mark_unstable->setVisible(!stable);
}

}  // namespace weighdesk
