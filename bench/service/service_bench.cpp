// ponderixd serving one simulated POS scale on a pty, each benchmark on a fresh daemon:
// - a weight change in the simulator to a WebSocket client receiving it (median, p95);
// - HTTP reading requests per second, answered from the poller's latest snapshot;
// - the daemon's CPU share and resident memory while streams watch a scale whose weight changes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "daemon-process.h"
#include "simulator.h"
#include "support/measures.h"
#include "support/temp-dir.h"
#include "web-client.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using exchange_bench::Simulator;
using service_bench::DaemonProcess;

const std::string kReading = "/v1/scales/bench/reading";
const std::string kStream = "/v1/scales/bench/stream";

struct Rig {
    Rig() : sim(SCALE_SIM_PATH, "pos", exchange_bench::Transport::Pty), daemon(sim.EndPoint(), folder.path()) {}
    testsupport::TempDir folder;  // the daemon's app-data folder
    Simulator sim;
    DaemonProcess daemon;
    bool online = daemon.WaitOnline();
};
std::unique_ptr<Rig> g_rig;

void StartRig(const benchmark::State&) { g_rig = std::make_unique<Rig>(); }
void StopRig(const benchmark::State&) { g_rig.reset(); }

bool Online(benchmark::State& state) {
    if (g_rig->online) return true;
    state.SkipWithError("the scale never came online in ponderixd");
    return false;
}

// The simulator's grams as the reading's "net" field (POS weighs in kg with three decimals).
std::string NetField(int grams) {
    char text[32];
    std::snprintf(text, sizeof text, "\"net\":%d.%03d", grams / 1000, grams % 1000);
    return text;
}

void WeightChangeToStream(benchmark::State& state) {
    if (!Online(state)) return;
    service_bench::StreamClient client(g_rig->daemon.Port(), kStream);
    std::mt19937 phase(21);
    std::vector<double> latencies;
    for (auto _ : state) {
        for (int change = 1; change <= 100; ++change) {
            const int grams = 1000 + 37 * change;
            const auto start = Clock::now();
            g_rig->sim.Control("weight " + std::to_string(grams));
            for (;;) {
                const auto message = client.Next(5s);
                if (!message) return state.SkipWithError("a weight change never reached the stream");
                if (message->find(NetField(grams)) != std::string::npos) break;
            }
            latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            // The next change falls at another point of the polling cycle.
            std::this_thread::sleep_for(std::chrono::milliseconds(phase() % 100));
        }
    }
    state.counters["median_ms"] = benchsupport::Percentile(latencies, 0.5);
    state.counters["p95_ms"] = benchsupport::Percentile(latencies, 0.95);
    state.counters["max_ms"] = *std::max_element(latencies.begin(), latencies.end());
}

void HttpReadings(benchmark::State& state) {
    if (!Online(state)) return;
    service_bench::HttpConnection connection(g_rig->daemon.Port());
    for (auto _ : state) {
        if (!connection.Get(kReading)) return state.SkipWithError("a reading request failed");
    }
    state.SetItemsProcessed(state.iterations());
}

// The weight changes every 200 ms for 20 s while state.range(0) streams watch.
void StreamsOnOneScale(benchmark::State& state) {
    if (!Online(state)) return;
    const int clients = static_cast<int>(state.range(0));
    service_bench::StreamCrowd crowd(g_rig->daemon.Port(), kStream, clients);
    constexpr int kChanges = 100;
    double cpu = 0;
    double wall = 0;
    for (auto _ : state) {
        const double cpuBefore = benchsupport::CpuSeconds(g_rig->daemon.Pid());
        const auto start = Clock::now();
        for (int change = 1; change <= kChanges; ++change) {
            g_rig->sim.Control("weight " + std::to_string(change % 2 == 0 ? 1500 : 2500));
            std::this_thread::sleep_until(start + change * 200ms);
        }
        cpu = benchsupport::CpuSeconds(g_rig->daemon.Pid()) - cpuBefore;
        wall = std::chrono::duration<double>(Clock::now() - start).count();
    }
    state.counters["cpu_percent"] = 100 * cpu / wall;
    state.counters["rss_mib"] = benchsupport::StatusMiB(g_rig->daemon.Pid(), "VmRSS");
    state.counters["peak_rss_mib"] = benchsupport::StatusMiB(g_rig->daemon.Pid(), "VmHWM");
    // Each client should see each change once (plus its first reading).
    state.counters["messages_per_client_change"] =
        clients == 0 ? 0 : static_cast<double>(crowd.Messages()) / clients / (kChanges + 1);
    state.counters["lost_clients"] = crowd.Lost();
}

// Each benchmark's last run's counters, for the table.
class CounterReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            auto& row = counters[run.benchmark_name()];
            for (const auto& [name, counter] : run.counters) row[name] = counter.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, std::map<std::string, double>> counters;
};

void PrintTable(const CounterReporter& reporter) {
    const auto value = [&](const std::string& prefix, const std::string& counter) {
        for (const auto& [name, row] : reporter.counters) {
            if (name.rfind(prefix, 0) == 0 && row.count(counter)) return row.at(counter);
        }
        return -1.0;
    };
    const auto line = [](const char* what, double measured, const char* goal) {
        if (measured < 0) return (void)std::printf("%-48s %10s %10s\n", what, "not run", goal);
        std::printf("%-48s %10.1f %10s\n", what, measured, goal);
    };
    std::printf("\n%-48s %10s %10s\n", "ponderixd, one POS scale on a pty, poll 100 ms", "measured", "goal");
    line("weight change -> WebSocket client, median ms", value("stream-latency", "median_ms"), "");
    line("weight change -> WebSocket client, p95 ms", value("stream-latency", "p95_ms"), "<= 120");
    line("HTTP readings/s, 2 keep-alive clients", value("http-readings", "items_per_second"), ">= 5000");
    line("CPU, 50 streams, weight changing, % of a core", value("streams/50", "cpu_percent"), "< 5");
    line("resident memory, 50 streams, MiB", value("streams/50", "rss_mib"), "< 50");
    line("  the same with no client: CPU %", value("streams/0", "cpu_percent"), "");
    line("  the same with no client: resident MiB", value("streams/0", "rss_mib"), "");
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RegisterBenchmark("stream-latency", WeightChangeToStream)
        ->Setup(StartRig)->Teardown(StopRig)->Iterations(1)->Unit(benchmark::kSecond);
    benchmark::RegisterBenchmark("http-readings", HttpReadings)
        ->Setup(StartRig)->Teardown(StopRig)->Threads(2)->UseRealTime()->MinTime(3)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("streams", StreamsOnOneScale)
        ->Setup(StartRig)->Teardown(StopRig)->Arg(0)->Arg(50)->Iterations(1)->Unit(benchmark::kSecond);
    CounterReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintTable(reporter);
    benchmark::Shutdown();
    return 0;
}
