#include "error-strip.h"

#include <QLabel>
#include <QPushButton>
#include <stdexcept>

#include "permanent.h"

namespace weighdesk {

using Norvell::Balvex::CppWrapper::ErrorCase;

QString errorCaseName(ErrorCase ecase) {
    // The terminal spells code 36 its own way; for the rest the driver's table serves.
    if (ecase == ErrorCase::LogicDeviceJSONError) return QStringLiteral("LogicDeviceJSONerror");
    const std::string name = Norvell::Balvex::CppWrapper::Driver::errorCaseName(ecase);
    if (name.empty()) throw std::logic_error("Func ToString(ErrorCase ecase), ecase is not valid.");
    return QString::fromStdString(name);
}

QString errorCaseMessage(ErrorCase ecase) {
    QString description =
        QString::fromStdWString(Norvell::Balvex::CppWrapper::Driver::getInstanceLib().errorCaseDescription(ecase));
    if (description.isEmpty()) {
        try {
            description = errorCaseName(ecase);
        } catch (const std::logic_error&) {
            // A code from a newer driver: its number still tells the technician something.
            description = QString::number(static_cast<int>(ecase));
        }
    }
    return QStringLiteral("Ошибка: %1").arg(description);
}

ErrorStrip::ErrorStrip(QWidget* strip, QLabel* text, QPushButton* closeButton, QObject* parent)
    : QObject(parent), strip_(strip), text_(text), closeButton_(closeButton) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &ErrorStrip::hide);
    connect(closeButton_, &QPushButton::clicked, this, &ErrorStrip::hide);
    strip_->hide();
}

void ErrorStrip::showMessage(const QString& text, int autoCloseMs) {
    show(text, false);
    timer_.start(autoCloseMs);
}

void ErrorStrip::showMessage(const QString& text) {
    show(text, true);
}

void ErrorStrip::showError(ErrorCase ecase) {
    showMessage(errorCaseMessage(ecase));
}

void ErrorStrip::hide() {
    timer_.stop();
    strip_->hide();
}

void ErrorStrip::hideMessage(const QString& text) {
    if (isShown() && text_->text() == text) hide();
}

bool ErrorStrip::isShown() const {
    return !strip_->isHidden();
}

bool ErrorStrip::showsCloseButton() const {
    return isShown() && !closeButton_->isHidden();
}

QString ErrorStrip::text() const {
    return text_->text();
}

void ErrorStrip::show(const QString& text, bool closeButton) {
    timer_.stop();
    text_->setText(text);
    closeButton_->setVisible(closeButton);
    strip_->show();
    strip_->raise();
}

}  // namespace weighdesk
