#pragma once
// The four calibration pages: password (5), zero load (6), reference weight (7) and result (8).
// The window hands over its widget tree, the facade and the line thread, forwards its slots and
// keys here, and keeps the error strip, the page flow and the recovery of a lost connection for
// itself. Each calibration step runs on the line thread; meanwhile the page is busy and ignores
// its keys.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "connection-params.h"
#include "cpp-wrapper-defines.h"
#include "keypad-input.h"
#include "page.h"

class QLabel;
class QStackedWidget;
class QWidget;

namespace Norvell::Balvex::CppWrapper {
class Driver;
}

namespace weighdesk {

class LineWorker;

// What belongs to the window.
struct CalibrationHooks {
    std::function<void(const QString& text, int autoCloseMs)> showMessage;
    std::function<void(Norvell::Balvex::CppWrapper::ErrorCase)> showError;
    std::function<void(Page page)> enterPage;
    // A step waits on the scale (true) or has ended (false): the page shows it is working.
    std::function<void(bool)> setBusy;
    // The line is gone; the page stays as it is.
    std::function<void()> connectionLost;
    // The scale the calibration count is stored into; nullptr when none is selected.
    std::function<ConnectionParams*()> selectedScale;
};

class CalibrationPages : public QObject {
    Q_OBJECT
public:
    // root: the window's widget tree, searched by object name; throws std::logic_error when a
    // calibration widget is missing from it. The pages' keys and keypads are connected here.
    CalibrationPages(QWidget* root, Norvell::Balvex::CppWrapper::Driver& driver, LineWorker& line,
                     CalibrationHooks hooks, QObject* parent = nullptr);
    ~CalibrationPages() override;

    // Called by the window on entering the password and the reference-weight pages: a fresh entry
    // each time.
    void enterPasswordPage();
    void enterWeightPage();

    // "Далее" of the password, zero and reference-weight pages (and Return there).
    void checkPassword();
    void calibrateZero();
    void calibrateWeight();

    // The keypads' digits, "00" and erase: act on the entry of the page that shows (password or
    // reference weight), nothing elsewhere.
    void pressDigit(int digit);
    void pressDoubleZero();
    void pressErase();

    // Digits, Backspace, Return and Enter on the calibration pages; true when the key was used (or
    // ignored while a step runs).
    bool handleKey(int key);

    // A calibration step waits on the scale.
    bool isBusy() const { return busy_; }

    // The maximum weight read after the last zero calibration, -1 when unknown.
    int maxWeight() const { return maxWeight_; }

private:
    enum class Outcome { Done, Refused, LineLost };
    // What a zero calibration brought back from the line thread.
    struct ZeroResult {
        Outcome outcome = Outcome::Refused;
        int maxWeight = -1;
    };
    // What a weight calibration brought back: the calibration's code, then the counter's.
    struct WeightResult {
        Outcome outcome = Outcome::Refused;
        Norvell::Balvex::CppWrapper::ErrorCase counterError = Norvell::Balvex::CppWrapper::ErrorCase::Correct;
        QString counter;
    };

    void connectKeys(QWidget* root);
    KeypadInput* shownEntry() const;
    bool pageShows(QWidget* page) const;
    void setBusy(bool busy);
    void zeroCalibrated(const ZeroResult& result);
    bool weightWithinBounds(const QString& text);
    void sendWeightCalibration(const QString& value);
    void weightCalibrated(const WeightResult& result);

    QStackedWidget* pages_;
    QWidget* passwordPage_;
    QWidget* weightPage_;
    QWidget* zeroPage_;
    QWidget* resultPage_;
    QLabel* passwordLabel_;
    QLabel* weightLabel_;
    QLabel* counterLabel_;
    Norvell::Balvex::CppWrapper::Driver& driver_;
    LineWorker& line_;
    CalibrationHooks hooks_;
    std::unique_ptr<KeypadInput> password_;
    std::unique_ptr<KeypadInput> weight_;
    int maxWeight_ = -1;
    bool busy_ = false;  // a step runs on the line thread; keys meanwhile are dropped
};

}  // namespace weighdesk
