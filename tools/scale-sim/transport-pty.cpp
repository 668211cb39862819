#include "transport-pty.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace scale_sim {
namespace {

constexpr std::chrono::milliseconds kRecheck{10};
constexpr std::chrono::milliseconds kWriteStall{200};

std::runtime_error SystemError(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

void PointLink(const std::string& link, const std::string& target) {
    if (link.empty()) return;
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0) {
        // Never replace a real file, only an old link.
        if (!S_ISLNK(st.st_mode)) throw std::runtime_error("link path exists and is not a symlink: " + link);
        ::unlink(link.c_str());
    }
    if (::symlink(target.c_str(), link.c_str()) != 0) throw SystemError("symlink " + link);
}

}  // namespace

PtyTransport::PtyTransport(std::string link) : link_(std::move(link)) {
    Open();
}

PtyTransport::~PtyTransport() {
    CloseMaster();
    if (!link_.empty()) {
        // Remove the link only while it still names this scale's pty.
        char target[256] = {};
        ssize_t n = ::readlink(link_.c_str(), target, sizeof target - 1);
        if (n > 0 && path_ == std::string(target, static_cast<std::size_t>(n))) ::unlink(link_.c_str());
    }
}

void PtyTransport::Open() {
    int slave = -1;
    if (::openpty(&master_, &slave, nullptr, nullptr, nullptr) != 0) throw SystemError("openpty");
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave, TCSANOW, &tio);
    path_ = ::ttyname(slave) != nullptr ? ::ttyname(slave) : "";
    ::close(slave);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    connected_ = false;
    PointLink(link_, path_);
}

void PtyTransport::CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
    connected_ = false;
}

void PtyTransport::LoseHost() {
    connected_ = false;
    // Whatever the host left unread or unsent belongs to a session that is over.
    ::tcflush(master_, TCIOFLUSH);
}

pollfd PtyTransport::PollEntry() const {
    return connected_ ? pollfd{master_, POLLIN, 0} : pollfd{-1, 0, 0};
}

std::optional<std::chrono::milliseconds> PtyTransport::RecheckAfter() const {
    if (connected_) return std::nullopt;
    return kRecheck;
}

LinkEvent PtyTransport::Service(short revents, Bytes& received) {
    if (!connected_) {
        // A hang-up that is no longer reported means a host has opened the slave.
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, 0) < 0 || (p.revents & POLLHUP) != 0) return LinkEvent::None;
        connected_ = true;
        return LinkEvent::PeerCame;
    }
    if ((revents & POLLIN) != 0) {
        std::uint8_t buffer[512];
        for (;;) {
            ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0) {
                received.insert(received.end(), buffer, buffer + n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno == EAGAIN) break;
            LoseHost();  // EIO: the last host closed the slave
            return LinkEvent::PeerGone;
        }
    }
    if ((revents & (POLLHUP | POLLERR)) != 0) {
        LoseHost();
        return LinkEvent::PeerGone;
    }
    return received.empty() ? LinkEvent::None : LinkEvent::Data;
}

bool PtyTransport::Write(std::span<const std::uint8_t> bytes) {
    while (connected_ && !bytes.empty()) {
        ssize_t n = ::write(master_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            // A host that reads nothing: the rest is lost like bytes on an unread line.
            if (!WaitWritable(master_, kWriteStall)) return false;
        } else {
            LoseHost();
        }
    }
    return connected_;
}

void PtyTransport::Drop() {
    CloseMaster();
    Open();
}

}  // namespace scale_sim
