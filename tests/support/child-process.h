#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

struct ProcessResult {
    int status = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
};

// A program started with pipes on its standard streams and extra environment variables. It
// inherits no other descriptor of the test process, so ports and sockets held there stay private.
class ChildProcess {
public:
    // errorFile: a file for the child's standard error instead of a pipe ("" keeps the pipe).
    ChildProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env = {},
                 const std::string& errorFile = "");
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    int pid() const { return pid_; }
    // The next line of standard output without its line feed, or nothing at the deadline or end of output.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
    // False when the child no longer reads its input.
    bool WriteLine(const std::string& line);
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

// The words of a command line that has no blanks inside its arguments.
inline std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// Runs a program to its end.
ProcessResult Run(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env = {},
                  std::chrono::milliseconds timeout = std::chrono::seconds(30));

}  // namespace testsupport
