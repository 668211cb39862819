// From a weight change in the simulator to lbl_net_weight showing it, through the whole terminal:
// the real window, facade and driver, polling a scale-sim pty on the main page.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QStackedWidget>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

#include "exchange/simulator.h"
#include "main-window.h"
#include "serve-events.h"
#include "support/measures.h"
#include "weight-text.h"

using weighdesk::MainWindow;

namespace {

using terminal_bench::ServeUntil;

using Clock = std::chrono::steady_clock;
using exchange_bench::Simulator;
using exchange_bench::Transport;

constexpr int kChanges = 60;

bool Shows(const QLabel* label, int grams) {
    return label->text().contains(QStringLiteral("<span>%1 </span>").arg(weighdesk::numberText(grams / 1000.0, 0)));
}

void BM_WeightChangeToLabel(benchmark::State& state) {
    Simulator sim(SCALE_SIM_PATH, "pos", Transport::Pty);
    const std::string port = sim.EndPoint();
    MainWindow window(port, [port] { return QStringList{QString::fromStdString(port)}; });
    window.show();
    const auto* pages = window.findChild<QStackedWidget*>("sw_window_manager");
    const auto* label = window.findChild<QLabel*>("lbl_net_weight");
    if (!ServeUntil(
            [&] { return pages->currentIndex() == weighdesk::indexOf(weighdesk::Page::Main) && Shows(label, 1234); },
            std::chrono::seconds(30))) {
        state.SkipWithError("the window did not reach the main page with the simulated weight");
        return;
    }
    std::mt19937 phase(12);
    std::vector<double> latencies;
    for (auto _ : state) {
        for (int change = 1; change <= kChanges; ++change) {
            const int grams = 1000 + 37 * change;
            const auto start = Clock::now();
            sim.Control("weight " + std::to_string(grams));
            if (!ServeUntil([&] { return Shows(label, grams); }, std::chrono::seconds(5))) {
                state.SkipWithError("a weight change never reached the label");
                return;
            }
            latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            // The next change falls at another point of the polling cycles.
            ServeUntil([] { return false; }, std::chrono::milliseconds(phase() % 100));
        }
    }
    state.counters["changes"] = static_cast<double>(latencies.size());
    state.counters["median_ms"] = benchsupport::Percentile(latencies, 0.5);
    state.counters["p95_ms"] = benchsupport::Percentile(latencies, 0.95);
    state.counters["max_ms"] = *std::max_element(latencies.begin(), latencies.end());
}
BENCHMARK(BM_WeightChangeToLabel)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
