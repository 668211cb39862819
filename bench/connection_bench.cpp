// Connection costs that the weighing loop pays many times a second.
#include <benchmark/benchmark.h>

#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include <boost/asio/ip/tcp.hpp>

#include "log/logging.h"
#include "transport/serial-port-connection.h"
#include "transport/tcp-connection.h"

namespace {

using boost::asio::ip::tcp;
using driver::ByteVector;
using driver::ErrorCase;

// Accepts and drops connections on a loopback port until destroyed.
class LoopbackListener {
public:
    LoopbackListener() : acceptor_(io_, tcp::endpoint(boost::asio::ip::address_v4::loopback(), 0)) {
        Accept();
        thread_ = std::jthread([this] { io_.run(); });
    }
    ~LoopbackListener() { io_.stop(); }
    std::string EndPoint() const { return "127.0.0.1:" + std::to_string(acceptor_.local_endpoint().port()); }

private:
    void Accept() {
        acceptor_.async_accept([this](const boost::system::error_code& ec, tcp::socket) {
            if (!ec) Accept();
        });
    }

    boost::asio::io_context io_;
    tcp::acceptor acceptor_;
    std::jthread thread_;
};

// A pseudo-terminal whose far side echoes every byte.
class EchoingPty {
public:
    EchoingPty() {
        char name[128] = {};
        int slave = -1;
        if (::openpty(&master_, &slave, name, nullptr, nullptr) != 0) std::abort();
        ::close(slave);
        name_ = name;
        thread_ = std::jthread([this](std::stop_token stop) { Echo(stop); });
    }
    ~EchoingPty() {
        thread_.request_stop();
        thread_.join();
        ::close(master_);
    }
    const std::string& name() const { return name_; }

private:
    void Echo(std::stop_token stop) {
        std::uint8_t chunk[512];
        while (!stop.stop_requested()) {
            pollfd fd{master_, POLLIN, 0};
            if (::poll(&fd, 1, 20) != 1 || !(fd.revents & POLLIN)) continue;
            const ssize_t n = ::read(master_, chunk, sizeof chunk);
            if (n > 0 && ::write(master_, chunk, std::size_t(n)) != n) return;
        }
    }

    int master_ = -1;
    std::string name_;
    std::jthread thread_;
};

void TcpOpen(benchmark::State& state) {
    LoopbackListener listener;
    for (auto _ : state) {
        driver::TCPConnection connection(listener.EndPoint(), "77");
        ErrorCase err = ErrorCase::Correct;
        connection.Open(err);
        if (err != ErrorCase::Correct) state.SkipWithError("open failed");
        connection.Close();
    }
}
BENCHMARK(TcpOpen)->Unit(benchmark::kMicrosecond);

// Argument: 0 logs at trace (hex dumps written), 3 at error (nothing formatted).
void SerialExchange(benchmark::State& state) {
    driver::logging::SetMode(static_cast<std::uint32_t>(state.range(0)));
    EchoingPty pty;
    driver::SerialPortConnection connection(pty.name());
    ErrorCase err = ErrorCase::Correct;
    connection.Open(err);
    connection.SetDefaultOptions(err);
    if (err != ErrorCase::Correct) state.SkipWithError("open failed");
    const ByteVector request = {0x05, 0x01, 0x30, 0x31, 0x32, 0x33, 0x0d, 0x0a};
    const auto whole = [&](const ByteVector& bytes) { return bytes.size() >= request.size(); };
    ByteVector reply;
    for (auto _ : state) {
        reply.clear();
        connection.WriteData(request, err);
        connection.ReadData(reply, whole, err);
        if (reply.size() != request.size()) state.SkipWithError("short reply");
    }
    driver::logging::SetMode(0);
}
BENCHMARK(SerialExchange)->Arg(0)->Arg(3)->Unit(benchmark::kMicrosecond);

}  // namespace

// The log and its settings go to a private folder, never the user's.
int main(int argc, char** argv) {
    std::string folder = (std::filesystem::temp_directory_path() / "ponderix-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) return 2;
    ::setenv("APPDATA", folder.c_str(), 1);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
