// How long the GUI thread stays blocked while the real window runs one flow against scale-sim: a
// 10 ms timer on that thread, and the longest interval between two of its timeouts while the flow
// runs (max_gap_ms). The flow's own time, from the first action to its end, is the manual time.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "main-window.h"
#include "serve-events.h"
#include "support/sim-process.h"
#include "support/temp-dir.h"

using weighdesk::MainWindow;

namespace {

using terminal_bench::ServeUntil;

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kTimerMs = 10;

using weighdesk::Page;

const QString kWeightShown = QStringLiteral(">1.234 <");

// A closing window prints its report on standard output, where the benchmark's JSON goes.
class StdoutToStderr {
public:
    StdoutToStderr() : saved_(::dup(STDOUT_FILENO)) {
        std::fflush(stdout);
        ::dup2(STDERR_FILENO, STDOUT_FILENO);
    }
    ~StdoutToStderr() {
        std::fflush(stdout);
        ::dup2(saved_, STDOUT_FILENO);
        ::close(saved_);
    }
    StdoutToStderr(const StdoutToStderr&) = delete;
    StdoutToStderr& operator=(const StdoutToStderr&) = delete;

private:
    int saved_;
};

// The 10 ms timer. Its timeouts also look for the flow's end, so an end reached inside a nested
// event loop of the window is taken when it happens. A call that blocks until the flow has ended
// leaves no timeout behind it: the time from the last timeout to the end counts as a gap too.
class GapMeter {
public:
    explicit GapMeter(std::function<bool()> ended) : ended_(std::move(ended)) {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(kTimerMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] { note(true); });
        clock_.start();
        timer_.start();
    }

    bool ended() {
        note(false);
        return end_.has_value();
    }
    Clock::duration elapsed() const { return std::chrono::nanoseconds(end_.value_or(clock_.nsecsElapsed())); }
    double longestGapMs() const {
        const qint64 open = end_ ? 0 : clock_.nsecsElapsed() - last_;
        return static_cast<double>(std::max(longest_, open)) / 1e6;
    }

private:
    void note(bool timeout) {
        if (end_) return;
        const qint64 now = clock_.nsecsElapsed();
        if (timeout) {
            longest_ = std::max(longest_, now - last_);
            last_ = now;
        }
        if (!ended_()) return;
        longest_ = std::max(longest_, now - last_);
        end_ = now;
        timer_.stop();
    }

    std::function<bool()> ended_;
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
    std::optional<qint64> end_;
};

// One flow: a fresh scale-sim behind a stable link, the window on that link, the measurement.
class Flow {
public:
    explicit Flow(benchmark::State& state) : state_(state) {
        // A window that closes itself must not make later event loops return at once.
        QApplication::setQuitOnLastWindowClosed(false);
    }
    ~Flow() {
        if (helper_.joinable()) helper_.join();
        // Answering again, the scale lets the window's last calls end quickly.
        if (sim_) {
            sim_->Send("silent 0");
            sim_->Send("mute");
        }
        window_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        sim_.reset();
        QApplication::setQuitOnLastWindowClosed(true);
    }
    Flow(const Flow&) = delete;
    Flow& operator=(const Flow&) = delete;

    bool startScale(const std::string& protocol) {
        link_ = (dir_.path() / "scale").string();
        sim_ = std::make_unique<testsupport::SimProcess>(
            std::vector<std::string>{"--pty", "--link", link_, "--protocol", protocol});
        if (!sim_->started()) return fail("scale-sim did not start");
        // A serial number of its own: the recovery file never takes it for an earlier flow's scale.
        static int flows = 0;
        return control("set sern " + std::to_string(77000001 + flows++)) && control("stable 1") &&
               control("weight 1234");
    }

    bool control(const std::string& line) {
        const std::string answer = sim_->Send(line);
        return answer == "ok" || fail("scale-sim answered \"" + answer + "\" to \"" + line + "\"");
    }

    // The line is sent from a thread of its own; until the flow ends no other line may be sent.
    void controlLater(Clock::duration delay, const std::string& line) {
        helper_ = std::thread([this, delay, line] {
            std::this_thread::sleep_for(delay);
            sim_->Send(line);
        });
    }

    // Ends the simulator off the GUI thread; its link then points nowhere.
    void quitScaleAside() {
        helper_ = std::thread([this] { sim_.reset(); });
    }

    // On the scale's port as given on the command line, or (with no port) on the selection page.
    void openWindow(const std::string& commandLinePort) {
        const QString port = QString::fromStdString(link_);
        window_ = std::make_unique<MainWindow>(commandLinePort, [port] { return QStringList{port}; });
        // Looked up once: the end of a flow is checked every half millisecond.
        pages_ = window_->findChild<QStackedWidget*>("sw_window_manager");
        netWeight_ = window_->findChild<QLabel*>("lbl_net_weight");
        strip_ = window_->findChild<QWidget*>("w_error_message");
        stripText_ = strip_ != nullptr ? strip_->findChild<QLabel*>("lbl_error_messages") : nullptr;
        window_->show();
    }

    bool reachMainPage() {
        openWindow(link_);
        return ServeUntil([&] { return page() == Page::Main && netWeightContains(kWeightShown); }, 30s) ||
               fail("the window did not reach the main page with the simulated weight");
    }

    bool reach(Page wanted, Clock::duration timeout = 30s) {
        return ServeUntil([&] { return page() == wanted; }, timeout) ||
               fail("the window did not show page " + std::to_string(weighdesk::indexOf(wanted)));
    }

    // From the weighing page to the zero calibration page, through the password.
    bool enterZeroCalibration() {
        if (!click("pb_menu") || !reach(Page::Menu) || !click("pb_calibration") || !reach(Page::Calibration))
            return false;
        for (const char* key : {"pb_password_8", "pb_password_5", "pb_password_2", "pb_password_7"}) {
            if (!click(key)) return false;
        }
        return click("pb_calibration_begin") && reach(Page::CalibrationZero);
    }

    bool click(const char* name) {
        auto* button = window_->findChild<QPushButton*>(QString::fromLatin1(name));
        if (button == nullptr) return fail(std::string("the window has no button ") + name);
        button->click();
        return true;
    }

    MainWindow& window() { return *window_; }

    Page page() const { return static_cast<Page>(pages_ != nullptr ? pages_->currentIndex() : -1); }

    bool netWeightContains(const QString& text) const {
        return netWeight_ != nullptr && netWeight_->text().contains(text);
    }

    // The error strip's text while it shows, else empty.
    QString strip() const {
        return strip_ != nullptr && stripText_ != nullptr && !strip_->isHidden() ? stripText_->text() : QString();
    }

    // Runs the act with the meter going and serves the GUI thread until the flow has ended.
    void measure(const std::function<bool()>& act, std::function<bool()> ended, Clock::duration deadline) {
        GapMeter meter(std::move(ended));
        if (!act()) return;
        while (!meter.ended()) {
            if (meter.elapsed() > deadline) {
                char text[160];
                std::snprintf(text, sizeof text, "no end within %.0f s (longest gap so far %.0f ms)",
                              std::chrono::duration<double>(deadline).count(), meter.longestGapMs());
                fail(text);
                return;
            }
            QApplication::processEvents();
            QThread::usleep(500);
        }
        state_.SetIterationTime(std::chrono::duration<double>(meter.elapsed()).count());
        state_.counters["max_gap_ms"] = meter.longestGapMs();
    }

private:
    bool fail(const std::string& why) {
        if (!failed_) state_.SkipWithError(why.c_str());
        failed_ = true;
        return false;
    }

    benchmark::State& state_;
    testsupport::TempDir dir_;
    std::string link_;
    std::unique_ptr<testsupport::SimProcess> sim_;
    std::unique_ptr<MainWindow> window_;
    const QStackedWidget* pages_ = nullptr;
    const QLabel* netWeight_ = nullptr;
    const QWidget* strip_ = nullptr;
    const QLabel* stripText_ = nullptr;
    std::thread helper_;
    bool failed_ = false;
};

// As a technician connects: the port checked on the selection page, then "Продолжить". The window
// is painted first: its first paint is its own work, not the line's.
void ConnectAndProtocolSwitch(Flow& flow) {
    if (!flow.startScale("cas")) return;
    flow.openWindow("");
    if (!flow.reach(Page::Selected)) return;
    ServeUntil([] { return false; }, 300ms);
    bool applied = false;
    flow.measure([&] { return flow.click("pb_selected_check_connected"); },
                 [&] {
                     if (!applied && flow.window().findChild<QPushButton*>("pb_selected_apply_enabled") != nullptr)
                         applied = flow.click("pb_selected_apply_enabled");
                     return flow.page() == Page::Main;
                 },
                 30s);
}

void InfoPageSilentScale(Flow& flow) {
    if (!flow.startScale("pos") || !flow.reachMainPage() || !flow.click("pb_menu") || !flow.reach(Page::Menu)) return;
    flow.measure([&] { return flow.control("silent 1") && flow.click("pb_info"); },
                 [&] { return flow.page() == Page::Info; }, 30s);
}

void InfoPageOneSettingUnanswered(Flow& flow) {
    if (!flow.startScale("pos") || !flow.reachMainPage() || !flow.click("pb_menu") || !flow.reach(Page::Menu)) return;
    flow.measure([&] { return flow.control("mute ktr") && flow.click("pb_info"); },
                 [&] { return flow.page() == Page::Info; }, 30s);
}

void ZeroCalibrationIgnored(Flow& flow) {
    if (!flow.startScale("pos") || !flow.reachMainPage() || !flow.enterZeroCalibration()) return;
    flow.measure(
        [&] {
            if (!flow.control("mute zcal")) return false;
            flow.controlLater(6s, "mute");
            return flow.click("pb_calibration_zero");
        },
        [&] { return flow.page() == Page::CalibrationWeight; }, 40s);
}

void ZeroCalibrationRefused(Flow& flow) {
    if (!flow.startScale("pos") || !flow.reachMainPage() || !flow.enterZeroCalibration()) return;
    flow.measure([&] { return flow.control("stable 0") && flow.click("pb_calibration_zero"); },
                 [&] { return flow.strip() == QStringLiteral("Калибровка нулевым весом не удалась!"); }, 60s);
}

void WeightCalibrationUnstable(Flow& flow) {
    if (!flow.startScale("pos") || !flow.reachMainPage() || !flow.enterZeroCalibration() ||
        !flow.click("pb_calibration_zero") || !flow.reach(Page::CalibrationWeight)) {
        return;
    }
    flow.measure([&] { return flow.control("stable 0") && flow.click("pb_calibration_weight"); },
                 [&] { return flow.strip() == QStringLiteral("Калибровка ненулевым весом с параметрами не удалась!"); },
                 60s);
}

void KeyOnSilentScale(Flow& flow, const char* button) {
    if (!flow.startScale("pos") || !flow.reachMainPage()) return;
    flow.measure([&] { return flow.control("silent 1") && flow.click(button); },
                 [&] { return flow.strip().startsWith(QStringLiteral("Ошибка")); }, 10s);
}

void TareSilentScale(Flow& flow) {
    KeyOnSilentScale(flow, "pb_tare");
}

void ZeroKeySilentScale(Flow& flow) {
    KeyOnSilentScale(flow, "pb_zero");
}

void LostLineReconnect(Flow& flow) {
    if (!flow.startScale("pos") || !flow.reachMainPage()) return;
    bool lostShown = false;
    // The drop cuts the next reply, so no reading of the new weight comes before the loss.
    flow.measure([&] { return flow.control("drop") && flow.control("weight 777"); },
                 [&] {
                     lostShown =
                         lostShown || flow.strip() == QStringLiteral("Потеряно соединение. Попытка восстановить");
                     return lostShown && flow.netWeightContains(QStringLiteral(">0.777 <"));
                 },
                 30s);
}

void LostLineScaleGone(Flow& flow) {
    if (!flow.startScale("pos") || !flow.reachMainPage()) return;
    flow.measure(
        [&] {
            if (!flow.control("drop")) return false;
            flow.quitScaleAside();
            return true;
        },
        [&] { return !flow.window().isVisible(); }, 30s);
}

void RestoreAtClose(Flow& flow) {
    if (!flow.startScale("cas") || !flow.reachMainPage()) return;
    flow.measure(
        [&] {
            if (!flow.control("silent 1")) return false;
            flow.window().close();
            return true;
        },
        [&] { return !flow.window().isVisible(); }, 30s);
}

void WeighingScaleGoesSilent(Flow& flow) {
    if (!flow.startScale("pos") || !flow.reachMainPage()) return;
    Clock::time_point start;
    flow.measure(
        [&] {
            start = Clock::now();
            return flow.control("silent 1");
        },
        [&] { return Clock::now() - start >= 3s; }, 15s);
}

void BM_GuiThreadGap(benchmark::State& state, void (*run)(Flow&), const char* label) {
    state.SetLabel(label);
    for (auto _ : state) {
        StdoutToStderr closeReports;
        Flow flow(state);
        run(flow);
    }
}

#define GAP_FLOW(name, run, label) \
    BENCHMARK_CAPTURE(BM_GuiThreadGap, name, run, label)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond)

GAP_FLOW(connect_and_protocol_switch, ConnectAndProtocolSwitch, "connect and protocol switch");
GAP_FLOW(info_page_silent_scale, InfoPageSilentScale, "information page, silent scale");
GAP_FLOW(info_page_one_setting_unanswered, InfoPageOneSettingUnanswered, "information page, one setting unanswered");
GAP_FLOW(zero_calibration_ignored, ZeroCalibrationIgnored, "zero calibration, scale ignores the command");
GAP_FLOW(zero_calibration_refused, ZeroCalibrationRefused, "zero calibration refused (unstable)");
GAP_FLOW(weight_calibration_unstable, WeightCalibrationUnstable, "weight calibration, unstable scale");
GAP_FLOW(tare_silent_scale, TareSilentScale, "tare, silent scale");
GAP_FLOW(zero_key_silent_scale, ZeroKeySilentScale, "zero key, silent scale");
GAP_FLOW(lost_line_reconnect, LostLineReconnect, "lost line, reconnect");
GAP_FLOW(lost_line_scale_gone, LostLineScaleGone, "lost line, scale gone");
GAP_FLOW(restore_at_close, RestoreAtClose, "restore at close");
GAP_FLOW(weighing_scale_goes_silent, WeighingScaleGoesSilent, "weighing while the scale goes silent");

}  // namespace
