#include "info-page.h"

#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>
#include <stdexcept>

#include "line-worker.h"
#include "look.h"
#include "permanent.h"

namespace weighdesk {

using Norvell::Balvex::CppWrapper::Command;
using Norvell::Balvex::CppWrapper::Driver;
using Norvell::Balvex::CppWrapper::ErrorCase;
using Norvell::Balvex::CppWrapper::ParamType;

namespace {

struct ReadCommand {
    Command command;
    ParamType parameter;
    std::optional<QString> ScaleReadings::*field;
};

// In the order of the rows; the model serves two rows, the division code two more.
constexpr ReadCommand kReadCommands[] = {
    {Command::GetScalesModel, ParamType::ScalesModel, &ScaleReadings::model},
    {Command::GetSerialNumber, ParamType::SerialNumber, &ScaleReadings::serialNumber},
    {Command::GetMaxWeight, ParamType::MaxWeight, &ScaleReadings::maxWeight},
    {Command::GetDiscret, ParamType::Discret, &ScaleReadings::divisionCode},
    {Command::GetRangeOfTare, ParamType::RangeOfTare, &ScaleReadings::tareRangeCode},
    {Command::GetFirmwareVersion1, ParamType::FirmwareVersion1, &ScaleReadings::firmwareName},
    {Command::GetFirmwareVersion2, ParamType::FirmwareVersion2, &ScaleReadings::firmwareVersion},
    {Command::GetCountOfCalibration, ParamType::CountOfCalibration, &ScaleReadings::calibrationCount},
};

QString rowObjectName(bool odd, bool last) {
    return QString("w_parameters_row_%1%2").arg(odd ? "odd" : "even", last ? "_last" : "");
}

void rowLabel(const QString& objectName, const QString& text, QWidget* row) {
    auto* label = new QLabel(text, row);
    label->setObjectName(objectName);
    label->setWordWrap(true);
}

}  // namespace

// What the line thread brings back.
struct InfoPage::Reading {
    ScaleReadings readings;
    QList<ErrorCase> failures;
    bool lost = false;
};

InfoPage::InfoPage(QWidget* root, Driver& driver, LineWorker& line, ShowError showError, look::WindowMode mode)
    : container_(root->findChild<QWidget*>("sawc_parameters")),
      driver_(driver),
      line_(line),
      showError_(std::move(showError)),
      mode_(mode) {
    if (container_ == nullptr) throw std::logic_error("information page: no widget sawc_parameters");
}

InfoPage::~InfoPage() = default;

void InfoPage::load(Done done) {
    line_.run([&driver = driver_] { return read(driver); },
              [this, done = std::move(done)](const Reading& reading) {
                  for (const ErrorCase ecase : reading.failures) showError_(ecase);
                  if (!reading.lost) {
                      rows_ = parameterRows(reading.readings);
                      fillRows();
                  }
                  done(!reading.lost);
              });
}

// A failure is noted and leaves its rows empty; only a lost line stops the reading.
InfoPage::Reading InfoPage::read(Driver& driver) {
    Reading reading;
    for (const ReadCommand& step : kReadCommands) {
        ErrorCase ecase = ErrorCase::Correct;
        const std::string text = driver.exeGettingCommand(step.command, step.parameter, ecase);
        const LineResult result = LineResult::of(ecase);
        if (result.lost) {
            reading.lost = true;
            return reading;
        }
        if (!result.ok()) {
            reading.failures << ecase;
            continue;
        }
        reading.readings.*step.field = QString::fromStdString(text);
    }
    return reading;
}

// An empty odd row heads the table.
void InfoPage::fillRows() {
    if (layout_ == nullptr) {
        layout_ = new QVBoxLayout(container_);
        layout_->setContentsMargins(0, 0, 10, 0);
        layout_->setSpacing(0);
    }
    clearRows();
    addRow({}, true, false);
    for (qsizetype i = 0; i < rows_.size(); ++i) addRow(rows_.at(i), i % 2 == 1, i + 1 == rows_.size());
    layout_->addStretch();
}

void InfoPage::clearRows() {
    while (QLayoutItem* item = layout_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
}

void InfoPage::addRow(const ParameterRow& row, bool odd, bool last) {
    auto* frame = new QWidget(container_);
    frame->setObjectName(rowObjectName(odd, last));
    frame->setAttribute(Qt::WA_StyledBackground);
    rowLabel("lbl_parameters_row_name", row.name, frame);
    rowLabel("lbl_parameters_row_value", row.value, frame);
    look::placeParameterRow(frame, mode_);
    layout_->addWidget(frame);
}

}  // namespace weighdesk
