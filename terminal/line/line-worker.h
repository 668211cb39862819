#pragma once
// The line thread. Every facade call that can wait on the scale — connect and the protocol switch,
// tare and zero, calibration, the information page, reconnect, the restore at close — runs here,
// one after another in the order given, so the GUI thread never waits on the line. Each result
// comes back to the GUI thread as a queued call.
#include <QObject>
#include <QThread>
#include <atomic>
#include <functional>
#include <type_traits>
#include <utility>

#include "cpp-wrapper-defines.h"

namespace weighdesk {

// A failure that means the line is gone: the port could not be used, or the driver closed it.
// Asks the facade, so it runs on the line thread (or the weight thread), never on the GUI thread.
bool isLostConnection(Norvell::Balvex::CppWrapper::ErrorCase ecase);

// The outcome of one facade call as the pages need it.
struct LineResult {
    Norvell::Balvex::CppWrapper::ErrorCase ecase = Norvell::Balvex::CppWrapper::ErrorCase::Correct;
    bool lost = false;

    bool ok() const { return ecase == Norvell::Balvex::CppWrapper::ErrorCase::Correct; }
    // On the line thread: the code and whether it means the line is gone.
    static LineResult of(Norvell::Balvex::CppWrapper::ErrorCase ecase) { return {ecase, isLostConnection(ecase)}; }
};

class LineWorker : public QObject {
    Q_OBJECT
public:
    explicit LineWorker(QObject* parent = nullptr);
    // Asks a long call to give up, lets the queued calls end and stops the thread; results not yet
    // delivered are dropped.
    ~LineWorker() override;

    // Runs call() on the line thread, then done(result) on this object's thread.
    template <typename Call, typename Done>
    void run(Call call, Done done) {
        post([this, call = std::move(call), done = std::move(done)]() mutable {
            if constexpr (std::is_void_v<std::invoke_result_t<Call&>>) {
                call();
                QMetaObject::invokeMethod(this, std::move(done), Qt::QueuedConnection);
            } else {
                auto result = call();
                QMetaObject::invokeMethod(
                    this, [done = std::move(done), result = std::move(result)]() mutable { done(std::move(result)); },
                    Qt::QueuedConnection);
            }
        });
    }
    // Runs call() on the line thread; nobody waits for its end.
    template <typename Call>
    void run(Call call) {
        post([call = std::move(call)]() mutable { call(); });
    }

    // Long calls (the calibration series) ask this between attempts; set when the window goes.
    bool interruptionRequested() const { return interruption_; }
    void requestInterruption() { interruption_ = true; }

private:
    void post(std::function<void()> job);

    QThread thread_;
    QObject* context_;  // lives on the line thread; the calls run as its queued events
    std::atomic<bool> interruption_{false};
};

}  // namespace weighdesk
