// The terminal benchmarks need one QApplication (offscreen unless a platform is chosen) and a
// private app-data root.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "terminal-bench-options.h"

namespace terminal_bench {
namespace {
int rssMinutes = 0;
}

int RssMinutes() {
    return rssMinutes;
}

void ParseOptions(int& argc, char** argv) {
    const char* flag = "--rss_minutes=";
    int kept = 1;
    for (int index = 1; index < argc; ++index) {
        if (std::strncmp(argv[index], flag, std::strlen(flag)) == 0) {
            rssMinutes = std::atoi(argv[index] + std::strlen(flag));
        } else {
            argv[kept++] = argv[index];
        }
    }
    argc = kept;
}

}  // namespace terminal_bench

int main(int argc, char** argv) {
    std::string appData = (std::filesystem::temp_directory_path() / "ponderix-bench-XXXXXX").string();
    if (::mkdtemp(appData.data()) == nullptr) return 2;
    ::setenv("APPDATA", appData.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    terminal_bench::ParseOptions(argc, argv);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(appData, ignored);
    return 0;
}
