// Typed readings per second on one simulated POS scale: through libdriver.so's exports (the command,
// its texts, the decoding a caller does), through libponderix.so's pdx_read, and through the Python
// package's read() loop, started on the same simulator after the two.
#include <benchmark/benchmark.h>
#include <ponderix/ponderix.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <driver/reading.h>
#include <filesystem>
#include <map>
#include <string>

#include "driver-session.h"
#include "simulator.h"

namespace {

using exchange_bench::DriverSession;
using exchange_bench::Simulator;
using exchange_bench::Transport;

std::string g_python;  // the read-loop script; empty: no Python row
double g_pythonSeconds = 3;

Simulator& Sim() {
    static Simulator sim(SCALE_SIM_PATH, "pos", Transport::Pty);
    return sim;
}

void Exports(benchmark::State& state) {
    DriverSession session("Serial Port", Sim().EndPoint(), "POS2K");
    if (session.Open() != 0) return state.SkipWithError("open failed");
    driver::DeviceHandle handle = session.Handle();
    driver::Reading reading;
    for (auto _ : state) {
        driver::ReadingTexts texts;
        if (execute_command(handle, driver::Command::StatusOfWeightChannel) != 0 ||
            get_param(handle, driver::ParamType::Weight, texts.weight) != 0 ||
            get_param(handle, driver::ParamType::WeightState, texts.state) != 0 ||
            get_param(handle, driver::ParamType::Tare, texts.tare) != 0)
            return state.SkipWithError("reading failed");
        driver::Decode(driver::ProtocolFamily::Pos, texts, std::nullopt, reading);
        benchmark::DoNotOptimize(reading);
    }
    state.counters["readings/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void CInterface(benchmark::State& state) {
    pdx_scale* scale = nullptr;
    if (pdx_create(&scale) != 0 || pdx_open_end_point(scale, Sim().EndPoint().c_str(), "POS2K", nullptr, 0) != 0)
        return state.SkipWithError("open failed");
    pdx_reading reading;
    for (auto _ : state) {
        if (pdx_read(scale, &reading) != 0) return state.SkipWithError("reading failed");
        benchmark::DoNotOptimize(reading);
    }
    pdx_destroy(scale);
    state.counters["readings/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// Readings per second and this process's CPU time per reading: the wall time is mostly the line's
// round trip and the scheduler, the CPU time is what the interface itself costs.
struct Rate {
    double perSecond = 0;
    double cpuMicroseconds = 0;
};

// The medians of each benchmark's repetitions.
class RateReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median") continue;
            const auto counter = run.counters.find("readings/s");
            if (counter != run.counters.end())
                rates[run.run_name.function_name] = {counter->second.value, run.GetAdjustedCPUTime()};
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, Rate> rates;
};

double Field(const char* line, const char* key) {
    const char* at = std::strstr(line, key);
    return at == nullptr ? 0 : std::atof(at + std::strlen(key));
}

// Runs the Python read loop against the same simulator; zeros when it did not report.
Rate PythonRate() {
    if (g_python.empty()) return {};
    const std::string command = "/usr/bin/python3 " + g_python + " --port " + Sim().EndPoint() +
                                " --protocol POS2K --seconds " + std::to_string(g_pythonSeconds);
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return {};
    char line[512] = {};
    Rate rate;
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        if (std::strstr(line, "python_reads_per_second") == nullptr) continue;
        rate = {Field(line, "\"python_reads_per_second\":"), Field(line, "\"python_cpu_us_per_read\":")};
    }
    ::pclose(pipe);
    return rate;
}

void PrintRow(const char* name, const Rate& rate, const Rate& base, const char* against, const char* goal) {
    if (rate.perSecond <= 0) return (void)std::printf("%-26s %12s\n", name, "not run");
    std::printf("%-26s %12.0f %8.3f %-10s %5s %10.1f %8.2f\n", name, rate.perSecond,
                base.perSecond / rate.perSecond, against, goal, rate.cpuMicroseconds,
                rate.cpuMicroseconds / base.cpuMicroseconds);
}

void PrintTable(const std::map<std::string, Rate>& rates, const Rate& python) {
    const auto find = [&](const char* name) { return rates.count(name) ? rates.at(name) : Rate{}; };
    const Rate exports = find("typed-reading/exports");
    const Rate c = find("typed-reading/c-interface");
    std::printf("\n%-26s %12s %8s %-10s %5s %10s %8s\n", "typed reading, POS, pty", "readings/s", "ratio", "(time)",
                "goal", "cpu us", "ratio");
    PrintRow("libdriver.so exports", exports, exports, "", "");
    PrintRow("libponderix.so pdx_read", c, exports, "vs exports", "1.05");
    PrintRow("Python Scale.read()", python, c, "vs C", "1.3");
    std::printf("(medians of the repetitions; ratio = time per reading against the row named; cpu us = the\n"
                " process's CPU time per reading, the interface's own cost beside the line's round trip)\n");
}

}  // namespace

int main(int argc, char** argv) {
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--python=", 0) == 0)
            g_python = arg.substr(9);
        else if (arg.rfind("--python_seconds=", 0) == 0)
            g_pythonSeconds = std::stod(arg.substr(17));
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    // Logs and logic devices of this run go to a folder of its own.
    std::string pattern = (std::filesystem::temp_directory_path() / "ponderix-bench-XXXXXX").string();
    const char* folder = ::mkdtemp(pattern.data());
    if (folder == nullptr) return 1;
    ::setenv("APPDATA", folder, 1);
    pdx_logging_set_mode(3);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    using Run = void (*)(benchmark::State&);
    for (const auto& [name, run] : {std::pair<const char*, Run>{"typed-reading/exports", Exports},
                                    std::pair<const char*, Run>{"typed-reading/c-interface", CInterface}})
        benchmark::RegisterBenchmark(name, run)->UseRealTime()->Unit(benchmark::kMicrosecond)->Repetitions(15);
    RateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintTable(reporter.rates, PythonRate());
    benchmark::Shutdown();
    std::filesystem::remove_all(folder);
    return 0;
}
