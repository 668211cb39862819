// How long the search takes to give up on one port whose scale stays silent.
#include <benchmark/benchmark.h>

#include <chrono>

#include "exchange/simulator.h"
#include "search-devices.h"

using weighdesk::SearchDevices;

namespace {

using exchange_bench::Simulator;
using exchange_bench::Transport;

void BM_PortCheckWithSilentScale(benchmark::State& state) {
    Simulator sim(SCALE_SIM_PATH, "pos", Transport::Pty);
    sim.Control("silent 1");
    const QStringList ports{QString::fromStdString(sim.EndPoint())};
    for (auto _ : state) {
        SearchDevices search([&] { return ports; });
        bool empty = false;
        QObject::connect(&search, &SearchDevices::devices_search_finished,
                         [&](auto found) { empty = found && found->isEmpty(); });
        const auto start = std::chrono::steady_clock::now();
        search.search({});  // on this thread: the check runs to its end here
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (!empty) state.SkipWithError("the silent port was not reported as empty");
    }
}
BENCHMARK(BM_PortCheckWithSilentScale)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
