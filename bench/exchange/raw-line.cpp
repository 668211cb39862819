#include "raw-line.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace exchange_bench {

using Clock = std::chrono::steady_clock;

RawLine RawLine::OpenPty(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot open " + path);
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        ::close(fd);
        throw std::runtime_error("tcgetattr failed on " + path);
    }
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, B9600);
    tio.c_cflag |= CLOCAL | CREAD;
    ::tcsetattr(fd, TCSANOW, &tio);
    ::tcflush(fd, TCIOFLUSH);
    return RawLine(fd);
}

RawLine RawLine::OpenTcp(const std::string& hostPort) {
    const auto colon = hostPort.rfind(':');
    if (colon == std::string::npos) throw std::runtime_error("bad end point " + hostPort);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<std::uint16_t>(std::stoi(hostPort.substr(colon + 1))));
    if (::inet_pton(AF_INET, hostPort.substr(0, colon).c_str(), &peer.sin_addr) != 1)
        throw std::runtime_error("bad address " + hostPort);
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("socket failed");
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
        ::close(fd);
        throw std::runtime_error("connect failed to " + hostPort);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    return RawLine(fd);
}

RawLine::RawLine(RawLine&& other) noexcept : fd_(other.fd_) {
    other.fd_ = -1;
}

RawLine::~RawLine() {
    if (fd_ >= 0) ::close(fd_);
}

bool RawLine::Write(const Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else if (n < 0 && errno != EINTR) {
            return false;
        }
    }
    return true;
}

bool RawLine::ReadUntil(Bytes& in, const Complete& complete, std::chrono::milliseconds deadline) {
    in.clear();
    const auto end = Clock::now() + deadline;
    std::uint8_t chunk[256];
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left < 0) return false;
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        const auto n = ::read(fd_, chunk, sizeof chunk);
        if (n > 0) {
            in.insert(in.end(), chunk, chunk + n);
            if (complete(in)) return true;
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            return false;
        }
    }
}

void RawLine::Drain() {
    std::uint8_t chunk[256];
    while (::read(fd_, chunk, sizeof chunk) > 0) {
    }
}

}  // namespace exchange_bench
