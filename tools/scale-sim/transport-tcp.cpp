#include "transport-tcp.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <stdexcept>

namespace scale_sim {
namespace {

constexpr std::chrono::milliseconds kWriteStall{200};

std::runtime_error SystemError(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

sockaddr_in ParseAddress(const std::string& address) {
    std::size_t colon = address.rfind(':');
    if (colon == std::string::npos) throw std::runtime_error("expected HOST:PORT, got " + address);
    std::string host = address.substr(0, colon);
    std::string port_text = address.substr(colon + 1);
    unsigned port = 0;
    auto [end, ec] = std::from_chars(port_text.data(), port_text.data() + port_text.size(), port);
    if (ec != std::errc() || end != port_text.data() + port_text.size() || port > 65535)
        throw std::runtime_error("bad port in " + address);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::inet_pton(AF_INET, host.c_str(), &sa.sin_addr) != 1)
        throw std::runtime_error("bad IPv4 address in " + address);
    return sa;
}

void SetNonBlocking(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

}  // namespace

TcpTransport::TcpTransport(const std::string& address) {
    sockaddr_in sa = ParseAddress(address);
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0) throw SystemError("socket");
    int on = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) throw SystemError("bind " + address);
    if (::listen(listener_, SOMAXCONN) != 0) throw SystemError("listen");
    socklen_t len = sizeof sa;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&sa), &len);
    char host[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &sa.sin_addr, host, sizeof host);
    endpoint_ = std::string(host) + ":" + std::to_string(ntohs(sa.sin_port));
}

TcpTransport::~TcpTransport() {
    CloseClient();
    if (listener_ >= 0) ::close(listener_);
}

pollfd TcpTransport::PollEntry() const {
    return client_ >= 0 ? pollfd{client_, POLLIN, 0} : pollfd{listener_, POLLIN, 0};
}

LinkEvent TcpTransport::Service(short revents, Bytes& received) {
    if (revents == 0) return LinkEvent::None;
    if (client_ < 0) {
        client_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client_ < 0) return LinkEvent::None;
        SetNonBlocking(client_);
        int on = 1;
        ::setsockopt(client_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        return LinkEvent::PeerCame;
    }
    std::uint8_t buffer[512];
    for (;;) {
        ssize_t n = ::recv(client_, buffer, sizeof buffer, 0);
        if (n > 0) {
            received.insert(received.end(), buffer, buffer + n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        CloseClient();  // orderly close or reset
        return LinkEvent::PeerGone;
    }
    return received.empty() ? LinkEvent::None : LinkEvent::Data;
}

bool TcpTransport::Write(std::span<const std::uint8_t> bytes) {
    while (client_ >= 0 && !bytes.empty()) {
        ssize_t n = ::send(client_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!WaitWritable(client_, kWriteStall)) return false;
        } else {
            CloseClient();
        }
    }
    return client_ >= 0;
}

void TcpTransport::CloseClient() {
    if (client_ >= 0) ::close(client_);
    client_ = -1;
}

}  // namespace scale_sim
