#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace scalectl::testing {

struct ProcessResult {
    int status = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
};

// A program started with pipes on its standard streams and extra environment variables.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line of standard output without its line feed, or nothing at the deadline or end of output.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
    void WriteLine(const std::string& line);
    void Signal(int signal);
    // Closes standard input, collects the rest of the output and waits; kills the process at the deadline.
    ProcessResult Finish(std::chrono::milliseconds timeout);

private:
    bool Pump(std::chrono::milliseconds timeout);

    int pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::string outBuffer_;
    std::string errBuffer_;
    std::optional<int> status_;
};

// Runs a program to its end.
ProcessResult Run(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env = {},
                  std::chrono::milliseconds timeout = std::chrono::seconds(30));

}  // namespace scalectl::testing
