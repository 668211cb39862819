#pragma once

// The device search worker: lives on its own thread, checks serial ports one after another through
// the facade with model and protocol "auto", and reports the supported scales it found.
#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>

#include "connection-params.h"
#include "cpp-wrapper-defines.h"

namespace weighdesk {

// Where "all serial ports" come from. The system's list by default; tests give pseudo-terminals.
using SerialPortLister = std::function<QStringList()>;

// The device paths (systemLocation) of the serial ports present, in the system's order.
QStringList systemSerialPorts();

// The progress shown after a step of a search over n ports: it rises with every port, for any n, and
// stays below 100 (90 after the last port) until the finish sets 100.
int searchProgress(int step, int portCount);
// The step counter raised after a port.
int stepAfterPort(int step);

class SearchDevices : public QObject {
    Q_OBJECT

public:
    explicit SearchDevices(SerialPortLister allPorts = systemSerialPorts);

    // Runs on the search thread. An empty list means every port that allPorts gives.
    void search(QStringList ports);

signals:
    // No value: the search was interrupted.
    void devices_search_finished(std::optional<QList<ConnectionParams>> found_devices);
    void set_progress_value(int value);
    // The port could not be opened because another program holds it.
    void port_held(const QString& port);

private:
    bool checkPort(ConnectionParams& params, Norvell::Balvex::CppWrapper::ErrorCase& error);
    bool readScaleData(ConnectionParams& params, Norvell::Balvex::CppWrapper::ErrorCase& error);
    void step();
    static bool interrupted();

    SerialPortLister allPorts_;
    int portCount_ = 0;
    int step_ = 0;
};

}  // namespace weighdesk
