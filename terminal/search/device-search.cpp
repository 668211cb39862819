#include "device-search.h"

#include <QEventLoop>

namespace weighdesk {

DeviceSearch::DeviceSearch(SerialPortLister allPorts, QObject* parent)
    : QObject(parent), allPorts_(std::move(allPorts)) {}

DeviceSearch::~DeviceSearch() {
    if (!thread_) return;
    thread_->requestInterruption();
    thread_->quit();
    thread_->wait();
}

bool DeviceSearch::isRunning() const {
    return thread_ && thread_->isRunning();
}

void DeviceSearch::start(const QString& portText) {
    if (thread_) {
        thread_->quit();
        thread_->wait();
    }
    worker_.reset();
    thread_ = std::make_unique<QThread>();
    worker_ = std::make_unique<SearchDevices>(allPorts_);
    worker_->moveToThread(thread_.get());

    const QStringList ports = portText.isEmpty() ? QStringList() : QStringList{portText};
    SearchDevices* worker = worker_.get();
    connect(thread_.get(), &QThread::started, worker, [worker, ports] { worker->search(ports); });
    connect(worker, &SearchDevices::devices_search_finished, this, &DeviceSearch::workerFinished);
    connect(worker, &SearchDevices::set_progress_value, this, &DeviceSearch::set_progress_value);
    connect(worker, &SearchDevices::port_held, this, &DeviceSearch::port_held);
    thread_->start();
}

void DeviceSearch::workerFinished(std::optional<QList<ConnectionParams>> found) {
    disconnect(worker_.get(), &SearchDevices::devices_search_finished, this, &DeviceSearch::workerFinished);
    thread_->quit();
    thread_->wait();
    emit stop_search_devices_thread_done();
    emit devices_search_finished(found);
}

void DeviceSearch::cancel() {
    if (!isRunning()) return;
    QEventLoop waiting;
    connect(this, &DeviceSearch::stop_search_devices_thread_done, &waiting, &QEventLoop::quit);
    thread_->requestInterruption();
    waiting.exec();
}

}  // namespace weighdesk
