#pragma once

#include <memory>
#include <string>

#include "support/child-process.h"

namespace exchange_bench {

enum class Transport { Pty, Tcp };

// One scale-sim child, on a pseudo-terminal or a loopback port, without wire time.
class Simulator {
public:
    Simulator(const std::string& program, const std::string& protocol, Transport transport);
    ~Simulator();

    // The slave path or "127.0.0.1:port".
    const std::string& EndPoint() const { return endPoint_; }
    // Sends one control line and returns its one-line answer.
    std::string Control(const std::string& line);

private:
    std::unique_ptr<testsupport::ChildProcess> child_;
    std::string endPoint_;
};

}  // namespace exchange_bench
