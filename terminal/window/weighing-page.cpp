#include "weighing-page.h"

#include "error-strip.h"
#include "permanent.h"
#include "scale-connection.h"
#include "ui_main-window.h"
#include "weight-text.h"

namespace weighdesk {

using Norvell::Balvex::CppWrapper::Command;
using Norvell::Balvex::CppWrapper::Driver;
using Norvell::Balvex::CppWrapper::ErrorCase;

namespace {

bool pollable(const QString& protocol) {
    return protocol.contains("POS") || protocol.contains("CAS");
}

}  // namespace

WeighingPage::WeighingPage(Ui::MainWindow& ui, ErrorStrip& errors, bool portraitScreen, QObject* parent)
    : QObject(parent), ui_(ui), errors_(errors), portraitScreen_(portraitScreen) {
    connect(&weightPolling_, &WeightPolling::ready_data, this, &WeighingPage::showReading);
}

void WeighingPage::prepare(const QString& protocol) {
    ui_.w_tare_weight->setVisible(protocol.contains("POS"));
    WeightChannelData empty;
    empty.zero = true;
    showWeight(empty);
}

void WeighingPage::startPolling(const QString& protocol) {
    if (!polling_ && pollable(protocol)) weightPolling_.start();
    polling_ = true;
}

void WeighingPage::stopPolling() {
    // Cleared first: readings served while the worker winds down are dropped.
    polling_ = false;
    if (weightPolling_.isRunning()) weightPolling_.stop();
}

void WeighingPage::tare() {
    runKey(Command::SetTare);
}

void WeighingPage::zero() {
    runKey(Command::SetZero);
}

void WeighingPage::showReading(const WeightChannelData& data, ErrorCase ecase) {
    if (!polling_ || ecase == ErrorCase::BoostTimeOut) return;
    if (!acceptResult(ecase)) return;
    lastUnit_ = data.unit;
    if (data.overload) {
        ui_.lbl_net_weight->hide();
        ui_.lbl_net_weight_error->show();
        // Renewed by every overloaded reading, so it stays while the overload lasts.
        errors_.showMessage(QStringLiteral("Перегруз"), 100);
    } else {
        showWeight(data);
    }
}

void WeighingPage::runKey(Command command) {
    ErrorCase ecase = ErrorCase::Correct;
    Driver::getInstanceLib().exeCommand(command, ecase);
    acceptResult(ecase);
}

bool WeighingPage::acceptResult(ErrorCase ecase) {
    if (ecase == ErrorCase::Correct) return true;
    if (isLostConnection(ecase)) {
        emit connectionLost();
    } else {
        errors_.showError(ecase);
    }
    return false;
}

void WeighingPage::showWeight(const WeightChannelData& data) {
    ui_.lbl_net_weight->show();
    ui_.lbl_net_weight_error->hide();
    ui_.lbl_net_weight->setText(weightdesk::netWeightRichText(data, portraitScreen_));
    const weightdesk::WeightMarks marks = weightdesk::marksOf(data);
    ui_.lbl_mark_zero->setVisible(marks.zero);
    ui_.lbl_mark_non_zero->setVisible(marks.nonZero);
    ui_.lbl_mark_stable->setVisible(marks.stable);
    ui_.lbl_mark_unstable->setVisible(marks.unstable);
    ui_.lbl_tare_weight->setText(weightdesk::tareLineText(data.tare, lastUnit_));
    ui_.lbl_tare_weight->adjustSize();
}

}  // namespace weighdesk
