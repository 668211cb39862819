#pragma once
// The main page: the live weight from the weight thread, the marks, the tare line and the tare and
// zero keys. Readings arrive queued; the page never waits on the scale except for its own keys.
#include <QObject>
#include <QString>

#include "cpp-wrapper-defines.h"
#include "weight-channel-data.h"
#include "weight-polling.h"

namespace Ui {
class MainWindow;
}

namespace weighdesk {

class ErrorStrip;

class WeighingPage : public QObject {
    Q_OBJECT
public:
    WeighingPage(Ui::MainWindow& ui, ErrorStrip& errors, bool portraitScreen, QObject* parent = nullptr);

    // After a connect: the tare line only for POS, zero and stable marks, weight and tare 0.
    void prepare(const QString& protocol);
    // Entering the page: polling starts for POS and CAS scales unless it runs already.
    void startPolling(const QString& protocol);
    void stopPolling();
    bool isPolling() const { return polling_; }

    void tare();
    void zero();

signals:
    void connectionLost();

public slots:
    void showReading(const WeightChannelData& data, Norvell::Balvex::CppWrapper::ErrorCase ecase);

private:
    void runKey(Norvell::Balvex::CppWrapper::Command command);
    // False when the failure was shown or handed on as a lost connection.
    bool acceptResult(Norvell::Balvex::CppWrapper::ErrorCase ecase);
    void showWeight(const WeightChannelData& data);

    Ui::MainWindow& ui_;
    ErrorStrip& errors_;
    bool portraitScreen_;
    WeightPolling weightPolling_;
    bool polling_ = false;
    int lastUnit_ = 0;
};

}  // namespace weighdesk
