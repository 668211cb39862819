#include "daemon-process.h"

#include <sys/socket.h>
#include <netinet/in.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "web-client.h"

namespace service_bench {
namespace {

using namespace std::chrono_literals;

unsigned short FreePort() {
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(probe, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        ::close(probe);
        throw std::runtime_error("no free loopback port");
    }
    ::close(probe);
    return ntohs(address.sin_port);
}

std::string WriteConfig(const std::string& folder, unsigned short port, const std::string& endPoint) {
    const std::string path = folder + "/ponderixd.conf";
    std::ofstream(path) << "[service]\nport = " << port
                        << "\npoll_ms = 100\n"
                           // Every request of the benchmark comes from one address.
                           "requests_per_second = 100000\n"
                           "[scale.bench]\nend_point = "
                        << endPoint << "\nprotocol = POS2K\n";
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    return path;
}

}  // namespace

DaemonProcess::DaemonProcess(const std::string& endPoint, const std::string& folder) : port_(FreePort()) {
    const std::string config = WriteConfig(folder, port_, endPoint);
    child_ = std::make_unique<testsupport::ChildProcess>(
        std::vector<std::string>{PONDERIXD_PATH, "--config", config}, std::map<std::string, std::string>{{"APPDATA", folder}},
        folder + "/ponderixd.err");
}

DaemonProcess::~DaemonProcess() {
    child_->Signal(SIGTERM);
    child_->Finish(5s);
}

bool DaemonProcess::WaitOnline() {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
        const auto body = HttpGet(port_, "/v1/scales/bench/reading");
        if (body && body->find("\"current\":true") != std::string::npos) return true;
        std::this_thread::sleep_for(50ms);
    }
    return false;
}


}  // namespace service_bench
