#pragma once
// The red strip across the top of the page area: a message that closes by itself after a while,
// or one that waits for its close button; failures of the facade are shown by their description.
#include <QObject>
#include <QString>
#include <QTimer>

#include "cpp-wrapper-defines.h"

class QLabel;
class QPushButton;
class QWidget;

namespace weighdesk {

// The identifier of a result code; throws std::logic_error for a value outside the vocabulary.
QString errorCaseName(Norvell::Balvex::CppWrapper::ErrorCase ecase);

// "Ошибка: " and the driver's Russian description, or the identifier when the driver has none.
QString errorCaseMessage(Norvell::Balvex::CppWrapper::ErrorCase ecase);

class ErrorStrip : public QObject {
    Q_OBJECT
public:
    ErrorStrip(QWidget* strip, QLabel* text, QPushButton* closeButton, QObject* parent = nullptr);

    // Without the close button; the strip hides after autoCloseMs.
    void showMessage(const QString& text, int autoCloseMs);
    // With the close button; the strip stays until closed.
    void showMessage(const QString& text);
    void showError(Norvell::Balvex::CppWrapper::ErrorCase ecase);
    void hide();
    // Hides the strip only while it still shows this text, not a message shown since.
    void hideMessage(const QString& text);

    bool isShown() const;
    bool showsCloseButton() const;
    QString text() const;

private:
    void show(const QString& text, bool closeButton);

    QWidget* strip_;
    QLabel* text_;
    QPushButton* closeButton_;
    QTimer timer_;
};

}  // namespace weighdesk
