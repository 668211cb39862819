// weighdesk as a user runs it, polling a scale-sim pty on its main page: the CPU share it takes
// and its resident memory early and late in the run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <thread>

#include "support/child-process.h"
#include "support/measures.h"
#include "support/temp-dir.h"
#include "terminal-bench-options.h"

namespace {

using namespace std::chrono_literals;

// Search, connect and the first readings are over by then.
constexpr auto kWarmUp = 10s;
constexpr auto kCpuWindow = 30s;

// Enquiries the simulator has logged: one per status exchange of the polling loop.
int EnquiriesLogged(const std::string& logPath) {
    std::ifstream log(logPath);
    int count = 0;
    for (std::string line; std::getline(log, line);) count += line.ends_with("rx: 05");
    return count;
}

void BM_WeighdeskOnMainPage(benchmark::State& state) {
    testsupport::TempDir appData;
    const std::string simLog = (appData.path() / "scale-sim.log").string();
    testsupport::ChildProcess sim({SCALE_SIM_PATH, "--pty", "--protocol", "pos", "--log"}, {}, simLog);
    const std::string port = sim.ReadLine(5s).value_or("");
    for (auto _ : state) {
        testsupport::ChildProcess weighdesk({WEIGHDESK_PATH, "--port", port},
                                            {{"QT_QPA_PLATFORM", "offscreen"}, {"APPDATA", appData.path().string()}},
                                            "/dev/null");
        const int pid = weighdesk.pid();
        std::this_thread::sleep_for(terminal_bench::RssMinutes() > 0 ? 60s : kWarmUp);
        const double rssFirst = benchsupport::StatusMiB(pid, "VmRSS");
        const double cpuBefore = benchsupport::CpuSeconds(pid);
        const int enquiriesBefore = EnquiriesLogged(simLog);
        std::this_thread::sleep_for(kCpuWindow);
        const double window = std::chrono::duration<double>(kCpuWindow).count();
        const double cpuShare = (benchsupport::CpuSeconds(pid) - cpuBefore) / window;
        // About 18 a second while the main page polls; 0 means weighdesk never got there.
        state.counters["polls_per_s"] = (EnquiriesLogged(simLog) - enquiriesBefore) / window;
        if (terminal_bench::RssMinutes() > 0) {
            std::this_thread::sleep_for(std::chrono::minutes(terminal_bench::RssMinutes() - 1) - kCpuWindow);
        }
        state.counters["cpu_percent"] = cpuShare * 100.0;
        state.counters["rss_first_MB"] = rssFirst;
        state.counters["rss_last_MB"] = benchsupport::StatusMiB(pid, "VmRSS");
        weighdesk.Signal(SIGTERM);
        weighdesk.Finish(5s);
        state.SetIterationTime(std::chrono::duration<double>(kCpuWindow).count());
    }
}
BENCHMARK(BM_WeighdeskOnMainPage)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
