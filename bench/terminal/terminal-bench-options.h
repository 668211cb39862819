#pragma once

// The terminal benchmarks' own flags, taken out of argv before Google Benchmark reads it.
namespace terminal_bench {

// Minutes weighdesk runs before its last memory sample: 0 (the routine run) samples at the start
// and the end of the CPU window; 5 gives the first and the fifth minute.
int RssMinutes();

// Removes --rss_minutes=N from argv.
void ParseOptions(int& argc, char** argv);

}  // namespace terminal_bench
