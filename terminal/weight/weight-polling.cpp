#include "weight-polling.h"

namespace weighdesk {

namespace {

constexpr int kPollIntervalMs = 50;

}  // namespace

WeightPolling::WeightPolling(QObject* parent) : QObject(parent), worker_(new AutoWeight) {
    thread_.setObjectName(QStringLiteral("weight"));
    worker_->moveToThread(&thread_);
    connect(worker_, &AutoWeight::work_requested, worker_, &AutoWeight::do_work, Qt::QueuedConnection);
    connect(worker_, &AutoWeight::ready_data, this, &WeightPolling::ready_data);
    // Nobody answers the timer once the worker has ended on its own; its requests would only pile up.
    // A loop that ended on a stop may report after a new start: then the worker runs again.
    connect(worker_, &AutoWeight::finished, this, [this] {
        if (!worker_->isRunning()) timer_.stop();
    });
    timer_.setInterval(kPollIntervalMs);
}

WeightPolling::~WeightPolling() {
    worker_->requestStop();
    thread_.quit();
    thread_.wait();
    delete worker_;
}

void WeightPolling::start() {
    if (!thread_.isRunning()) thread_.start();
    worker_->requestStart();
    connect(&timer_, &QTimer::timeout, worker_, &AutoWeight::send_data, Qt::UniqueConnection);
    timer_.start();
}

void WeightPolling::stop() {
    timer_.stop();
    disconnect(&timer_, &QTimer::timeout, worker_, &AutoWeight::send_data);
    worker_->requestStop();
}

}  // namespace weighdesk
