// Readings per second through the exported interface against scale-sim, each beside a plain
// read/write exchange of the same bytes; open times; resident memory over many readings.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "driver-session.h"
#include "hand-exchanges.h"
#include "raw-line.h"
#include "simulator.h"

namespace exchange_bench {
namespace {

using driver::Command;
using driver::ParamType;

std::string g_simProgram = SCALE_SIM_PATH;
long g_readings = 100000;

// One kind of reading: which scale to simulate, how the driver is told to speak to it, and the
// hand-written exchange that puts the same bytes on the line.
struct Case {
    const char* name;
    const char* simProtocol;
    const char* driverProtocol;
    Command command;
    ParamType result;
    bool (*hand)(RawLine&, Bytes&);
};

const Case kCases[] = {
    {"POS", "pos", "POS2K", Command::StatusOfWeightChannel, ParamType::Weight, HandPosStatus},
    {"CAS", "cas", "CAS-K", Command::StatusOfWeightChannel, ParamType::Weight, HandCasStatus},
    {"OKA", "oka", "OKA", Command::StatusOfWeightChannel, ParamType::Weight, HandOkaStatus},
    {"balvex", "pos", "POS2KProV1", Command::GetMaxWeight, ParamType::MaxWeight, HandBalvexMaxWeight},
};

struct Level {
    const char* name;
    std::uint32_t mode;
};
const Level kLevels[] = {{"error", 3}, {"trace", 0}};

const char* TransportName(Transport t) {
    return t == Transport::Pty ? "pty" : "tcp";
}
const char* ConnectionType(Transport t) {
    return t == Transport::Pty ? "Serial Port" : "TCP";
}

// Simulators live for the whole run, so the driver and the hand-written host meet the same one.
Simulator& Sim(const std::string& protocol, Transport transport) {
    static std::map<std::pair<std::string, Transport>, std::unique_ptr<Simulator>> sims;
    auto& sim = sims[{protocol, transport}];
    if (!sim) sim = std::make_unique<Simulator>(g_simProgram, protocol, transport);
    return *sim;
}

RawLine OpenRaw(Simulator& sim, Transport transport) {
    return transport == Transport::Pty ? RawLine::OpenPty(sim.EndPoint()) : RawLine::OpenTcp(sim.EndPoint());
}

void SetLevel(std::uint32_t mode) {
    LoggingSetMode(mode);
}

void CountReadings(benchmark::State& state) {
    state.counters["readings/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void DriverReading(benchmark::State& state, const Case& c, Transport transport, Level level) {
    Simulator& sim = Sim(c.simProtocol, transport);
    DriverSession session(ConnectionType(transport), sim.EndPoint(), c.driverProtocol);
    SetLevel(level.mode);
    if (const auto code = session.Open(); code != 0) {
        SetLevel(3);
        state.SkipWithError(("open failed, code " + std::to_string(code)).c_str());
        return;
    }
    std::string value;
    for (auto _ : state) {
        if (const auto code = session.Read(c.command, c.result, value); code != 0) {
            state.SkipWithError(("reading failed, code " + std::to_string(code)).c_str());
            break;
        }
    }
    SetLevel(3);
    session.Close();
    state.SetLabel(value);
    CountReadings(state);
}

void HandReading(benchmark::State& state, const Case& c, Transport transport) {
    Simulator& sim = Sim(c.simProtocol, transport);
    RawLine line = OpenRaw(sim, transport);
    Bytes scratch;
    scratch.reserve(64);
    for (auto _ : state) {
        if (!c.hand(line, scratch)) {
            state.SkipWithError("hand-written exchange got no complete answer");
            break;
        }
    }
    CountReadings(state);
}

// Detection runs whole status commands until one answers, so its time is mostly the deadlines
// of the protocols the scale does not speak.
void OpenAuto(benchmark::State& state, const char* simProtocol, Transport transport) {
    Simulator& sim = Sim(simProtocol, transport);
    DriverSession session(ConnectionType(transport), sim.EndPoint(), "auto");
    SetLevel(3);
    for (auto _ : state) {
        state.PauseTiming();
        session.SetProtocol("auto");
        state.ResumeTiming();
        const auto code = session.Open();
        state.PauseTiming();
        if (code != 0) {
            state.SkipWithError(("open failed, code " + std::to_string(code)).c_str());
            break;
        }
        state.SetLabel(session.Protocol());
        session.Close();
        state.ResumeTiming();
    }
}

void WaitConnected(Simulator& sim, bool connected) {
    const std::string mark = connected ? "connected=1" : "connected=0";
    for (int i = 0; i < 500 && sim.Control("status").find(mark) == std::string::npos; ++i) ::usleep(1000);
}

void OpenTcp(benchmark::State& state) {
    Simulator& sim = Sim("pos", Transport::Tcp);
    DriverSession session("TCP", sim.EndPoint(), "POS2K");
    SetLevel(3);
    for (auto _ : state) {
        const auto code = session.Open();
        state.PauseTiming();
        if (code != 0) {
            state.SkipWithError(("open failed, code " + std::to_string(code)).c_str());
            break;
        }
        // The simulator takes one host at a time from a short queue: let it take this one and see
        // it leave, so every open meets an idle listener as a scale's would.
        WaitConnected(sim, true);
        session.Close();
        WaitConnected(sim, false);
        state.ResumeTiming();
    }
}

double ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1024.0;
}

// Resident memory after a warm-up of 1000 readings and again after --readings more.
void Memory(benchmark::State& state, Transport transport) {
    Simulator& sim = Sim("pos", transport);
    DriverSession session(ConnectionType(transport), sim.EndPoint(), "POS2K");
    SetLevel(3);
    if (const auto code = session.Open(); code != 0) {
        state.SkipWithError(("open failed, code " + std::to_string(code)).c_str());
        return;
    }
    std::string value;
    auto readMany = [&](long count) {
        for (long i = 0; i < count; ++i) {
            if (session.Read(Command::StatusOfWeightChannel, ParamType::Weight, value) != 0) return false;
        }
        return true;
    };
    for (auto _ : state) {
        if (!readMany(1000)) {
            state.SkipWithError("warm-up reading failed");
            break;
        }
        state.counters["rss_before_KiB"] = ResidentKiB();
        if (!readMany(g_readings)) {
            state.SkipWithError("reading failed");
            break;
        }
        state.counters["rss_after_KiB"] = ResidentKiB();
        state.counters["readings"] = static_cast<double>(g_readings);
    }
    session.Close();
}

void RegisterAll() {
    for (const Transport t : {Transport::Pty, Transport::Tcp}) {
        for (const Case& c : kCases) {
            for (const Level& level : kLevels) {
                const std::string base = std::string("reading/") + c.name + "/" + TransportName(t) + "/" + level.name;
                benchmark::RegisterBenchmark((base + "/hand").c_str(), HandReading, c, t)
                    ->UseRealTime()
                    ->Unit(benchmark::kMicrosecond);
                benchmark::RegisterBenchmark((base + "/driver").c_str(), DriverReading, c, t, level)
                    ->UseRealTime()
                    ->Unit(benchmark::kMicrosecond);
            }
        }
    }
    benchmark::RegisterBenchmark("open/auto/POS/pty", OpenAuto, "pos", Transport::Pty)
        ->Iterations(3)
        ->Repetitions(1)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("open/auto/CAS/pty", OpenAuto, "cas", Transport::Pty)
        ->Iterations(3)
        ->Repetitions(1)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("open/POS2K/tcp", OpenTcp)
        ->Iterations(200)
        ->Repetitions(1)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    for (const Transport t : {Transport::Pty, Transport::Tcp}) {
        benchmark::RegisterBenchmark((std::string("memory/POS/") + TransportName(t)).c_str(), Memory, t)
            ->Iterations(1)
            ->Repetitions(1)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    }
}

// Keeps what the console shows, so the summary table can be printed after the run. With
// repetitions the median of each benchmark's runs is kept.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    struct Result {
        double real = 0;  // per iteration, in the benchmark's own unit
        double cpu = 0;   // this process's CPU time per iteration
        std::map<std::string, double> counters;
        std::string label;
        std::string error;
    };

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration) continue;
            Samples& s = samples_[run.run_name.function_name];
            s.real.push_back(run.GetAdjustedRealTime());
            s.cpu.push_back(run.GetAdjustedCPUTime());
            Result& r = results[run.run_name.function_name];
            r.real = Median(s.real);
            r.cpu = Median(s.cpu);
            r.label = run.report_label;
            if (run.error_occurred) r.error = run.error_message;
            for (const auto& [name, counter] : run.counters) r.counters[name] = counter.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    std::map<std::string, Result> results;

private:
    struct Samples {
        std::vector<double> real, cpu;
    };
    static double Median(std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    }
    std::map<std::string, Samples> samples_;
};

using Results = std::map<std::string, CollectingReporter::Result>;

const CollectingReporter::Result* FindResult(const Results& results, const std::string& name) {
    const auto it = results.find(name);
    return it == results.end() ? nullptr : &it->second;
}

std::string Cell(const CollectingReporter::Result* r, double value) {
    if (!r) return "-";
    if (!r->error.empty()) return "failed";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string Ratio(bool ok, double driverValue, double handValue, double goal) {
    if (!ok || handValue <= 0) return "-";
    char text[32];
    const double r = driverValue / handValue;
    std::snprintf(text, sizeof text, "%.2f%s", r, goal > 0 && r > goal ? "!" : "");
    return text;
}

void PrintReadingRow(const Results& res, Transport t, const Case& c, const Level& level) {
    const std::string base = std::string("reading/") + c.name + "/" + TransportName(t) + "/" + level.name;
    const auto* d = FindResult(res, base + "/driver");
    const auto* h = FindResult(res, base + "/hand");
    if (!d && !h) return;
    const double goal = level.mode == 3 ? 1.5 : 3.0;
    const bool ok = d && h && d->error.empty() && h->error.empty();
    std::printf("%-8s %-9s %-6s %10s %10s %7s %4.1fx | %10s %10s %7s\n", c.name, TransportName(t), level.name,
                Cell(d, d ? d->real : 0).c_str(), Cell(h, h ? h->real : 0).c_str(),
                Ratio(ok, d ? d->real : 0, h ? h->real : 0, goal).c_str(), goal, Cell(d, d ? d->cpu : 0).c_str(),
                Cell(h, h ? h->cpu : 0).c_str(), Ratio(ok, d ? d->cpu : 0, h ? h->cpu : 0, 0).c_str());
}

void PrintOpenAndMemory(const Results& res) {
    for (const char* name : {"open/auto/POS/pty", "open/auto/CAS/pty", "open/POS2K/tcp"}) {
        const auto* r = FindResult(res, name);
        if (!r) continue;
        if (!r->error.empty())
            std::printf("%-20s failed: %s\n", name, r->error.c_str());
        else
            std::printf("%-20s %9.3f ms per open  %s\n", name, r->real, r->label.c_str());
    }
    for (const char* name : {"memory/POS/pty", "memory/POS/tcp"}) {
        const auto* r = FindResult(res, name);
        if (!r) continue;
        if (!r->error.empty()) {
            std::printf("%-20s failed: %s\n", name, r->error.c_str());
            continue;
        }
        const double before = r->counters.count("rss_before_KiB") ? r->counters.at("rss_before_KiB") : 0;
        const double after = r->counters.count("rss_after_KiB") ? r->counters.at("rss_after_KiB") : 0;
        const double count = r->counters.count("readings") ? r->counters.at("readings") : 0;
        std::printf("%-20s RSS %.0f KiB after 1000 readings, %.0f KiB after %.0f more (%+.0f KiB)\n", name, before,
                    after, count, after - before);
    }
}

void PrintTable(const CollectingReporter& reporter) {
    std::printf("\n%-8s %-9s %-6s %10s %10s %7s %5s | %10s %10s %7s\n", "protocol", "transport", "level", "driver us",
                "hand us", "ratio", "goal", "driver cpu", "hand cpu", "ratio");
    for (const Transport t : {Transport::Pty, Transport::Tcp})
        for (const Case& c : kCases)
            for (const Level& level : kLevels) PrintReadingRow(reporter.results, t, c, level);
    std::printf(
        "(us = wall time per reading, the goal's measure; cpu = this process's CPU time per reading;"
        " ! = over the goal)\n\n");
    PrintOpenAndMemory(reporter.results);
}

// Takes out the options of this program before Google Benchmark sees the rest.
void ParseOwnFlags(int& argc, char** argv) {
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--readings=", 0) == 0) {
            g_readings = std::stol(arg.substr(11));
        } else if (arg.rfind("--sim=", 0) == 0) {
            g_simProgram = arg.substr(6);
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
}

}  // namespace
}  // namespace exchange_bench

int main(int argc, char** argv) {
    using namespace exchange_bench;
    ParseOwnFlags(argc, argv);
    // The driver's logs and logic devices go to a folder of this run, never the user's.
    std::string pattern = (std::filesystem::temp_directory_path() / "exchange-bench-XXXXXX").string();
    const char* folder = ::mkdtemp(pattern.data());
    if (folder == nullptr) return 1;
    ::setenv("APPDATA", folder, 1);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RegisterAll();
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintTable(reporter);
    benchmark::Shutdown();
    std::filesystem::remove_all(folder);
    return 0;
}
