#include "simulator.h"

#include <chrono>
#include <stdexcept>

namespace exchange_bench {

using namespace std::chrono_literals;

Simulator::Simulator(const std::string& program, const std::string& protocol, Transport transport) {
    std::vector<std::string> argv{program, "--protocol", protocol, "--pro"};
    if (transport == Transport::Pty) {
        argv.push_back("--pty");
    } else {
        argv.insert(argv.end(), {"--tcp", "127.0.0.1:0"});
    }
    child_ = std::make_unique<testsupport::ChildProcess>(argv);
    const auto first = child_->ReadLine(5s);
    if (!first || first->empty()) throw std::runtime_error("scale-sim printed no end point");
    endPoint_ = *first;
    for (const char* line : {"weight 1234", "tare 100", "stable 1"}) Control(line);
}

Simulator::~Simulator() {
    child_->Finish(2s);
}

std::string Simulator::Control(const std::string& line) {
    child_->WriteLine(line);
    const auto answer = child_->ReadLine(2s);
    if (!answer) throw std::runtime_error("scale-sim did not answer \"" + line + "\"");
    return *answer;
}

}  // namespace exchange_bench
