// What the benchmarks measure of a child process (CPU time, memory) and of their samples.
#pragma once

#include <string>
#include <vector>

namespace benchsupport {

// User plus system time the process has used so far.
double CpuSeconds(int pid);
// A memory field of /proc/<pid>/status ("VmRSS", "VmHWM") in MiB; 0 when it cannot be read.
double StatusMiB(int pid, const std::string& key);
// The sample below which `share` of the samples fall (nearest rank).
double Percentile(std::vector<double> values, double share);

}  // namespace benchsupport
