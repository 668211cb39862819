#include "line-worker.h"

#include "driver/reading.h"
#include "permanent.h"

namespace weighdesk {

using Norvell::Balvex::CppWrapper::Driver;
using Norvell::Balvex::CppWrapper::ErrorCase;

bool isLostConnection(ErrorCase ecase) {
    // Only a ConnectionError needs the port's state.
    if (ecase != ErrorCase::ConnectionError) return driver::LineLost(ecase, true);
    ErrorCase query = ErrorCase::Correct;
    return driver::LineLost(ecase, Driver::getInstanceLib().isPortOpen(query));
}

LineWorker::LineWorker(QObject* parent) : QObject(parent), context_(new QObject) {
    thread_.setObjectName(QStringLiteral("line"));
    context_->moveToThread(&thread_);
    thread_.start();
}

LineWorker::~LineWorker() {
    requestInterruption();
    // Queued last, so every call queued before it still runs.
    post([] { QThread::currentThread()->quit(); });
    thread_.wait();
    delete context_;
}

void LineWorker::post(std::function<void()> job) {
    QMetaObject::invokeMethod(context_, std::move(job), Qt::QueuedConnection);
}

}  // namespace weighdesk
