// The built scale-sim program driven the way the driver's tests use it: control lines on its
// standard input, raw bytes over a pty or a TCP socket.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/sim-process.h"
#include "wire.h"

namespace {

using scale_sim::Bytes;
using scale_sim::XorOf;
using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;

Bytes Hex(std::initializer_list<int> values) {
    Bytes b;
    for (int v : values) b.push_back(static_cast<std::uint8_t>(v));
    return b;
}

const Bytes kEnq = Hex({0x05});
const Bytes kPosStatus = Hex({0x02, 0x05, 0x3A, 0x30, 0x30, 0x33, 0x30, 0x3C});

bool WaitReadable(int fd, Ms timeout) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, static_cast<int>(timeout.count())) == 1;
}

using testsupport::SimProcess;

// The host's end of the line.
class HostLine {
public:
    static HostLine Pty(const std::string& path) {
        int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0) {
            termios tio{};
            ::tcgetattr(fd, &tio);
            ::cfmakeraw(&tio);
            ::tcsetattr(fd, TCSANOW, &tio);
        }
        return HostLine(fd);
    }
    static HostLine Tcp(const std::string& endpoint) {
        std::size_t colon = endpoint.rfind(':');
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(static_cast<std::uint16_t>(std::stoi(endpoint.substr(colon + 1))));
        ::inet_pton(AF_INET, endpoint.substr(0, colon).c_str(), &sa.sin_addr);
        int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
            ::close(fd);
            fd = -1;
        }
        return HostLine(fd);
    }
    HostLine(HostLine&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    ~HostLine() {
        if (fd_ >= 0) ::close(fd_);
    }

    bool ok() const { return fd_ >= 0; }
    bool closed() const { return closed_; }

    void Send(const Bytes& bytes) {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // Reads until `count` bytes have come or `timeout` has passed.
    Bytes Read(std::size_t count, Ms timeout = 1000ms) {
        Bytes got;
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while (got.size() < count) {
            auto left = std::chrono::duration_cast<Ms>(deadline - std::chrono::steady_clock::now());
            if (left <= 0ms || !WaitReadable(fd_, left)) break;
            std::uint8_t chunk[256];
            ssize_t n = ::read(fd_, chunk, std::min(sizeof chunk, count - got.size()));
            if (n <= 0 && errno == EAGAIN) continue;
            if (n <= 0) {
                closed_ = true;
                break;
            }
            got.insert(got.end(), chunk, chunk + n);
        }
        return got;
    }

    Bytes Exchange(const Bytes& request, std::size_t count, Ms timeout = 1000ms) {
        Send(request);
        return Read(count, timeout);
    }

private:
    explicit HostLine(int fd) : fd_(fd) {}
    int fd_;
    bool closed_ = false;
};

void ExpectPosStatus(const Bytes& answer, std::int32_t weight) {
    ASSERT_EQ(answer.size(), 14u);
    EXPECT_EQ(answer[0], 0x06);
    EXPECT_EQ(answer[1], 0x02);
    EXPECT_EQ(answer[2], 0x0A);
    EXPECT_EQ(answer[13], XorOf(std::span(answer).subspan(2, 11)));
    std::uint32_t w = answer[7] | answer[8] << 8 | answer[9] << 16 | static_cast<std::uint32_t>(answer[10]) << 24;
    EXPECT_EQ(static_cast<std::int32_t>(w), weight);
}

TEST(ScaleSimOverPty, PosStatusServiceLinesAndReopenedSlave) {
    std::filesystem::path link = std::filesystem::temp_directory_path() / ("scale-sim-" + std::to_string(::getpid()));
    SimProcess sim({"--pty", "--link", link.string(), "--protocol", "pos"});
    ASSERT_TRUE(sim.endpoint().starts_with("/dev/pts/")) << sim.endpoint();
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), sim.endpoint());
    ASSERT_EQ(sim.Send("weight 1234"), "ok");
    ASSERT_EQ(sim.Send("tare 300"), "ok");

    {
        HostLine host = HostLine::Pty(link.string());
        ASSERT_TRUE(host.ok());
        EXPECT_EQ(host.Exchange(kEnq, 1), Hex({0x06}));
        Bytes answer = host.Exchange(kPosStatus, 14);
        ExpectPosStatus(answer, 1234);
        EXPECT_EQ(answer[11] | answer[12] << 8, 300);
        EXPECT_EQ(host.Exchange(scale_sim::ToBytes("Gsern\r\n"), 15), scale_sim::ToBytes("sern=12345678\r\n"));
        EXPECT_EQ(host.Exchange(scale_sim::ToBytes("Smax30\r\n"), 4), scale_sim::ToBytes("OK\r\n"));
    }
    // A host that closes the slave and comes back finds the scale still there, settings kept.
    for (int round = 0; round < 2; ++round) {
        HostLine host = HostLine::Pty(sim.endpoint());
        EXPECT_EQ(host.Exchange(scale_sim::ToBytes("Gmax\r\n"), 8), scale_sim::ToBytes("max=30\r\n"));
        EXPECT_EQ(host.Exchange(Hex({0x05, 0x02, 0x05, 0x30, 0x30, 0x30, 0x33, 0x30, 0x36}), 7),
                  Hex({0x06, 0x06, 0x02, 0x02, 0x30, 0x00, 0x32}));
    }
    EXPECT_NE(sim.Send("status").find("weight=0 tare=0"), std::string::npos);
    EXPECT_EQ(sim.Send("quit"), "ok");
}

TEST(ScaleSimOverPty, FaultsActOnTheFrameBehindTheHandshake) {
    SimProcess sim({"--pty"});
    HostLine host = HostLine::Pty(sim.endpoint());
    ASSERT_TRUE(host.ok());
    ASSERT_EQ(sim.Send("weight 500"), "ok");

    ASSERT_EQ(sim.Send("nak"), "ok");
    EXPECT_EQ(host.Exchange(kEnq, 1), Hex({0x15}));
    EXPECT_EQ(host.Exchange(kEnq, 1), Hex({0x06}));

    ASSERT_EQ(sim.Send("corrupt-checksum"), "ok");
    EXPECT_EQ(host.Exchange(kEnq, 1), Hex({0x06}));
    Bytes answer = host.Exchange(kPosStatus, 14);
    ASSERT_EQ(answer.size(), 14u);
    EXPECT_EQ(answer[13], XorOf(std::span(answer).subspan(2, 11)) ^ 0xFF);

    ASSERT_EQ(sim.Send("stray 2"), "ok");
    answer = host.Exchange(kPosStatus, 16);
    ASSERT_EQ(answer.size(), 16u);
    EXPECT_EQ(answer[0], 0xA5);
    EXPECT_EQ(answer[1], 0xA5);
    ExpectPosStatus(Bytes(answer.begin() + 2, answer.end()), 500);

    ASSERT_EQ(sim.Send("split 300"), "ok");
    host.Send(kPosStatus);
    EXPECT_EQ(host.Read(14, 150ms).size(), 7u);
    EXPECT_EQ(host.Read(7, 1000ms).size(), 7u);

    ASSERT_EQ(sim.Send("silent 1"), "ok");
    EXPECT_TRUE(host.Exchange(kEnq, 1, 300ms).empty());
    ASSERT_EQ(sim.Send("silent 0"), "ok");
    ASSERT_EQ(sim.Send("pro 0"), "ok");
    EXPECT_TRUE(host.Exchange(scale_sim::ToBytes("Gsern\r\n"), 1, 300ms).empty());
    EXPECT_EQ(host.Exchange(kEnq, 1), Hex({0x06}));
}

TEST(ScaleSimOverPty, DropCutsTheLineAndStartsANewPty) {
    SimProcess sim({"--pty"});
    std::string first = sim.endpoint();
    HostLine host = HostLine::Pty(first);
    ASSERT_EQ(sim.Send("drop"), "ok");
    Bytes half = host.Exchange(kPosStatus, 14, 500ms);
    EXPECT_EQ(half.size(), 7u);
    host.Read(1, 300ms);
    EXPECT_TRUE(host.closed());

    std::string status = sim.Send("status");
    std::size_t at = status.find("endpoint=");
    ASSERT_NE(at, std::string::npos);
    std::string second = status.substr(at + 9, status.find(' ', at) - at - 9);
    EXPECT_NE(second, first);
    HostLine again = HostLine::Pty(second);
    EXPECT_EQ(again.Exchange(kEnq, 1), Hex({0x06}));
}

TEST(ScaleSimOverTcp, CasPolledZeroTareAndNextHost) {
    SimProcess sim({"--tcp", "127.0.0.1:0", "--protocol", "cas"});
    ASSERT_TRUE(sim.endpoint().starts_with("127.0.0.1:")) << sim.endpoint();
    ASSERT_EQ(sim.Send("weight 12500"), "ok");
    {
        HostLine host = HostLine::Tcp(sim.endpoint());
        ASSERT_TRUE(host.ok());
        EXPECT_EQ(host.Exchange(kEnq, 1), Hex({0x06}));
        Bytes frame = host.Exchange(Hex({0x11}), 15);
        ASSERT_EQ(frame.size(), 15u);
        EXPECT_EQ(std::string(frame.begin() + 2, frame.begin() + 12), "S 12.500kg");
        EXPECT_EQ(frame[12], XorOf(std::span(frame).subspan(2, 10)));
        EXPECT_EQ(Bytes(frame.begin() + 13, frame.end()), Hex({0x03, 0x04}));
        host.Send(scale_sim::ToBytes("<TK>\t"));
        EXPECT_TRUE(host.Read(1, 200ms).empty());  // one-way
        EXPECT_NE(sim.Send("status").find("weight=0 tare=12500"), std::string::npos);
        EXPECT_EQ(host.Exchange(scale_sim::ToBytes("Gprov\r\n"), 8), scale_sim::ToBytes("prov=0\r\n"));
    }
    HostLine next = HostLine::Tcp(sim.endpoint());
    EXPECT_EQ(next.Exchange(scale_sim::ToBytes("Sprov1\r\n"), 4), scale_sim::ToBytes("OK\r\n"));
    EXPECT_EQ(next.Exchange(kEnq, 1), Hex({0x06}));
    ExpectPosStatus(next.Exchange(kPosStatus, 14), 0);
}

TEST(ScaleSimOverTcp, CasActiveStreamsAndOkaAnswers) {
    SimProcess sim({"--tcp", "127.0.0.1:0", "--protocol", "cas-active", "--interval", "50"});
    ASSERT_EQ(sim.Send("weight 125"), "ok");
    ASSERT_EQ(sim.Send("unit g"), "ok");
    HostLine host = HostLine::Tcp(sim.endpoint());
    Bytes frames = host.Read(45, 1000ms);
    ASSERT_EQ(frames.size(), 45u);
    for (std::size_t at = 0; at < frames.size(); at += 15)
        EXPECT_EQ(std::string(frames.begin() + at + 2, frames.begin() + at + 12), "S    125 g");

    ASSERT_EQ(sim.Send("protocol oka"), "ok");
    ASSERT_EQ(sim.Send("tare 16"), "ok");
    ASSERT_EQ(sim.Send("weight 1234"), "ok");
    host.Read(100, 100ms);  // frames still on their way
    Bytes weight = host.Exchange(Hex({0x02, 0x09, 0x09, 0x09, 0x09, 0x09, 0x09}), 24);
    ASSERT_EQ(weight.size(), 24u);
    EXPECT_EQ(Bytes(weight.begin(), weight.begin() + 12), Hex({4, 3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
    Bytes sum = host.Exchange(Hex({0x06}), 18);
    ASSERT_EQ(sum.size(), 18u);
    EXPECT_EQ(Bytes(sum.begin(), sum.begin() + 7), Hex({0, 0, 5, 2, 1, 0, 0}));
}

TEST(ScaleSimOverTcp, DropClosesTheHostSocketMidFrame) {
    SimProcess sim({"--tcp", "127.0.0.1:0", "--protocol", "pos"});
    HostLine host = HostLine::Tcp(sim.endpoint());
    ASSERT_EQ(sim.Send("drop"), "ok");
    EXPECT_EQ(host.Exchange(kPosStatus, 14, 500ms).size(), 7u);
    host.Read(1, 300ms);
    EXPECT_TRUE(host.closed());
    HostLine next = HostLine::Tcp(sim.endpoint());
    EXPECT_EQ(next.Exchange(kEnq, 1), Hex({0x06}));
}

}  // namespace
