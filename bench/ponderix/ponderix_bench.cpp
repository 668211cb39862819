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

// The median readings per second of each benchmark's repetitions.
class RateReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median") continue;
            const auto counter = run.counters.find("readings/s");
            if (counter != run.counters.end()) rates[run.run_name.function_name] = counter->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> rates;
};

// Runs the Python read loop against the same simulator; 0 when it did not report.
double PythonRate() {
    if (g_python.empty()) return 0;
    const std::string command = "/usr/bin/python3 " + g_python + " --port " + Sim().EndPoint() +
                                " --protocol POS2K --seconds " + std::to_string(g_pythonSeconds);
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return 0;
    char line[512] = {};
    double rate = 0;
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        const char* at = std::strstr(line, "\"python_reads_per_second\":");
        if (at != nullptr) rate = std::atof(at + std::strlen("\"python_reads_per_second\":"));
    }
    ::pclose(pipe);
    return rate;
}

void PrintTable(const std::map<std::string, double>& rates, double python) {
    const double exports = rates.count("typed-reading/exports") ? rates.at("typed-reading/exports") : 0;
    const double c = rates.count("typed-reading/c-interface") ? rates.at("typed-reading/c-interface") : 0;
    std::printf("\n%-26s %12s %14s %6s\n", "typed reading, POS on a pty", "readings/s", "time ratio", "goal");
    std::printf("%-26s %12.0f %14s %6s\n", "libdriver.so exports", exports, "1.00", "");
    std::printf("%-26s %12.0f %11.3f vs exports %6s\n", "libponderix.so pdx_read", c, c > 0 ? exports / c : 0.0, "1.05");
    if (python > 0)
        std::printf("%-26s %12.0f %11.3f vs C %6s\n", "Python Scale.read()", python, c / python, "1.3");
    else
        std::printf("%-26s %12s\n", "Python Scale.read()", "not run");
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
        benchmark::RegisterBenchmark(name, run)->UseRealTime()->Unit(benchmark::kMicrosecond)->Repetitions(7);
    RateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintTable(reporter.rates, PythonRate());
    benchmark::Shutdown();
    std::filesystem::remove_all(folder);
    return 0;
}
