#include "weight-polling.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace {

constexpr int kPollIntervalMs = 50;
constexpr int kStartSettleMs = 100;
constexpr int kStopSettleMs = 100;

}  // namespace

WeightPolling::WeightPolling(QObject* parent) : QObject(parent), worker_(new AutoWeight) {
    worker_->moveToThread(&thread_);
    connect(worker_, &AutoWeight::work_requested, &thread_, [this] { thread_.start(); });
    connect(&thread_, &QThread::started, worker_, &AutoWeight::do_work);
    connect(worker_, &AutoWeight::finished, &thread_, &QThread::quit, Qt::DirectConnection);
    connect(worker_, &AutoWeight::ready_data, this, &WeightPolling::ready_data);
    // Nobody answers the timer once the worker has ended; its requests would only pile up.
    connect(&thread_, &QThread::finished, &timer_, &QTimer::stop);
    timer_.setInterval(kPollIntervalMs);
}

WeightPolling::~WeightPolling() {
    worker_->requestStop();
    thread_.wait();
    delete worker_;
}

void WeightPolling::start() {
    worker_->requestStart();
    connect(&timer_, &QTimer::timeout, worker_, &AutoWeight::send_data, Qt::UniqueConnection);
    timer_.start();
    QThread::msleep(kStartSettleMs);
}

void WeightPolling::stop() {
    timer_.stop();
    disconnect(&timer_, &QTimer::timeout, worker_, &AutoWeight::send_data);
    worker_->requestStop();
    thread_.wait();
    QEventLoop settle;
    QTimer::singleShot(kStopSettleMs, &settle, &QEventLoop::quit);
    settle.exec();
    QCoreApplication::processEvents(QEventLoop::AllEvents, kStopSettleMs);
}
