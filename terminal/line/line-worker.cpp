#include "line-worker.h"

#include "permanent.h"

namespace weighdesk {

using Norvell::Balvex::CppWrapper::Driver;
using Norvell::Balvex::CppWrapper::ErrorCase;

bool isLostConnection(ErrorCase ecase) {
    if (ecase == ErrorCase::UnableToOpenSerialPort) return true;
    if (ecase != ErrorCase::ConnectionError) return false;
    // The driver closes a line that the other end dropped and answers ConnectionError after.
    ErrorCase query = ErrorCase::Correct;
    return !Driver::getInstanceLib().isPortOpen(query);
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
