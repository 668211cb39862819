#pragma once

// The built scale-sim program as a child process. The first line it prints is where a host
// connects; every control line written to its standard input is answered by one line.
#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "support/child-process.h"

namespace testsupport {

class SimProcess {
public:
    // errorFile: a file for the simulator's standard error (its --log lines); none by default.
    explicit SimProcess(const std::vector<std::string>& args, const std::string& errorFile = "")
        : child_(WithProgram(args), {}, errorFile.empty() ? "/dev/null" : errorFile) {
        endpoint_ = child_.ReadLine(std::chrono::seconds(10)).value_or("");
    }
    // End of input makes the simulator quit.
    ~SimProcess() { child_.Finish(std::chrono::seconds(2)); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool started() const { return child_.started() && !endpoint_.empty(); }
    // The pty slave path, or "HOST:PORT" as bound.
    const std::string& endpoint() const { return endpoint_; }

    // Sends one control line and returns its answer ("" when none came).
    std::string Send(const std::string& line) {
        if (!child_.WriteLine(line)) return {};
        return child_.ReadLine(std::chrono::seconds(5)).value_or("");
    }

    // Sends lines that must each be answered "ok".
    void Control(std::initializer_list<std::string> lines) {
        for (const std::string& line : lines) ASSERT_EQ(Send(line), "ok") << "control line: " << line;
    }

    // Where a host connects now: a dropped pty line starts over on a new path.
    std::string CurrentEndpoint() {
        const std::string status = Send("status");
        const auto at = status.find("endpoint=");
        if (at == std::string::npos) return {};
        const auto start = at + std::string_view("endpoint=").size();
        return status.substr(start, status.find(' ', start) - start);
    }

    std::string Setting(const std::string& key) {
        const std::string answer = Send("get " + key);
        const std::string prefix = key + "=";
        return answer.rfind(prefix, 0) == 0 ? answer.substr(prefix.size()) : "<" + answer + ">";
    }

private:
    static std::vector<std::string> WithProgram(std::vector<std::string> args) {
        args.insert(args.begin(), SCALE_SIM_PATH);
        return args;
    }

    ChildProcess child_;
    std::string endpoint_;
};

}  // namespace testsupport
