#pragma once
// The main page: the live weight from the weight thread, the marks, the tare line and the tare and
// zero keys. Readings arrive queued; the keys' calls run on the line thread. A weight is shown only
// while it is current: when no good reading has come for a while, the page says so instead.
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>

#include "cpp-wrapper-defines.h"
#include "weight-channel-data.h"
#include "weight-polling.h"

namespace Ui {
class MainWindow;
}

namespace weighdesk {

class ErrorStrip;
class LineWorker;
struct LineResult;

// What the error strip says while the scale gives no reading.
inline const QString kScaleDoesNotAnswer = QStringLiteral("Весы не отвечают");

class WeighingPage : public QObject {
    Q_OBJECT
public:
    WeighingPage(Ui::MainWindow& ui, ErrorStrip& errors, LineWorker& line, bool portraitScreen,
                 QObject* parent = nullptr);

    // After a connect: the tare line only for POS; no number until the first reading.
    void prepare(const QString& protocol);
    // Entering the page: polling starts for POS and CAS scales unless it runs already.
    void startPolling(const QString& protocol);
    // Returns at once; readings that still arrive are dropped.
    void stopPolling();
    bool isPolling() const { return polling_; }
    // No number, the marks inactive: the weight on screen is not current (the line is lost).
    void showNoReading();

    void tare();
    void zero();

signals:
    void connectionLost();

public slots:
    void showReading(const WeightChannelData& data, Norvell::Balvex::CppWrapper::ErrorCase ecase);

private:
    bool isCurrent(const WeightChannelData& data) const;
    void checkReadingAge();
    void runKey(Norvell::Balvex::CppWrapper::Command command);
    void keyDone(const LineResult& result);
    void showNumber(const WeightChannelData& data);
    // The neutral display: no number, no unit, the marks inactive, no tare.
    void showNoNumber();
    void showMarksAndTare(const WeightChannelData& data);
    void showMarks(bool zero, bool stable);
    void showTareLine(const QString& text);

    Ui::MainWindow& ui_;
    ErrorStrip& errors_;
    LineWorker& line_;
    bool portraitScreen_;
    WeightPolling weightPolling_;
    QTimer readingAge_;  // looks at the age of the weight on screen while polling
    bool polling_ = false;
    bool keyRunning_ = false;
    bool noReading_ = false;
    std::chrono::steady_clock::time_point pollingSince_{};
    std::chrono::steady_clock::time_point shownReadingTakenAt_{};
    int lastUnit_ = 0;
};

}  // namespace weighdesk
