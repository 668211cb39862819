#pragma once

#include <memory>
#include <string>

#include "support/child-process.h"

namespace service_bench {

// A ponderixd child serving one POS scale as "bench" on a free loopback port, with its own
// app-data folder and its log in a file there.
class DaemonProcess {
public:
    DaemonProcess(const std::string& endPoint, const std::string& folder);
    ~DaemonProcess();

    unsigned short Port() const { return port_; }
    int Pid() const { return child_->pid(); }
    // False when the scale's reading did not become current within the deadline.
    bool WaitOnline();

private:
    unsigned short port_;
    std::unique_ptr<testsupport::ChildProcess> child_;
};

}  // namespace service_bench
