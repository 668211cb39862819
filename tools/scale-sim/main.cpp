#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "options.h"
#include "simulator.h"
#include "transport-pty.h"
#include "transport-tcp.h"

namespace {

void OnStopSignal(int) {
    scale_sim::Simulator::RequestStop();
}

void InstallSignals() {
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;  // no SA_RESTART: poll wakes up with EINTR
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    auto parsed = scale_sim::ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (auto* error = std::get_if<std::string>(&parsed)) {
        std::fprintf(stderr, "scale-sim: %s (see --help)\n", error->c_str());
        return 2;
    }
    const auto& options = std::get<scale_sim::Options>(parsed);
    if (options.help) {
        std::fputs(scale_sim::HelpText().c_str(), stdout);
        return 0;
    }
    InstallSignals();
    try {
        std::unique_ptr<scale_sim::Transport> transport;
        if (options.line == scale_sim::Options::Line::Tcp)
            transport = std::make_unique<scale_sim::TcpTransport>(options.tcp_address);
        else
            transport = std::make_unique<scale_sim::PtyTransport>(options.link);
        return scale_sim::Simulator(options, std::move(transport)).Run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "scale-sim: %s\n", e.what());
        return 1;
    }
}
