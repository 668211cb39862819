#pragma once

// One device search at a time on a fresh thread and worker; the previous pair is deleted.
// The window connects to the two relayed signals; it never blocks on the search.
#include <QObject>
#include <QThread>
#include <memory>

#include "search-devices.h"

namespace weighdesk {

class DeviceSearch : public QObject {
    Q_OBJECT

public:
    explicit DeviceSearch(SerialPortLister allPorts = systemSerialPorts, QObject* parent = nullptr);
    ~DeviceSearch() override;  // cancels a running search

    // Searches the one port named, or every port when portText is empty.
    void start(const QString& portText);
    bool isRunning() const;
    // Asks the search to stop after the current port's check and waits for it in a local event loop
    // (the GUI keeps processing events); returns at once when nothing runs.
    void cancel();

signals:
    // Relayed from the worker after its thread has ended; no value means cancelled.
    void devices_search_finished(std::optional<QList<ConnectionParams>> found_devices);
    void set_progress_value(int value);
    // Relayed from the worker: a port of the search is held by another program.
    void port_held(const QString& port);
    // The search thread has been stopped (emitted before devices_search_finished).
    void stop_search_devices_thread_done();

private:
    void workerFinished(std::optional<QList<ConnectionParams>> found);

    SerialPortLister allPorts_;
    std::unique_ptr<QThread> thread_;
    std::unique_ptr<SearchDevices> worker_;
};

}  // namespace weighdesk
