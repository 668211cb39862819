// The built scale-sim program as the other suites use it: control lines on its standard input,
// raw bytes over a pty or a TCP socket. What the replies mean is checked through the driver.
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
#include <vector>

#include "support/sim-process.h"
#include "support/temp-dir.h"
#include "wire.h"

namespace {

using scale_sim::Bytes;
using scale_sim::ToBytes;
using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;
using testsupport::SimProcess;

const Bytes kEnq = {scale_sim::kEnq};
const Bytes kAck = {scale_sim::kAck};
const Bytes kPosStatus = {scale_sim::kStx, 0x05, 0x3A, 0x30, 0x30, 0x33, 0x30, 0x3C};
constexpr std::size_t kPosStatusSize = 14;

// The host's end of the line: a pty slave path or "HOST:PORT".
class HostLine {
public:
    explicit HostLine(const std::string& endpoint) {
        if (endpoint.starts_with("/")) {
            fd_ = ::open(endpoint.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            termios tio{};
            ::tcgetattr(fd_, &tio);
            ::cfmakeraw(&tio);
            ::tcsetattr(fd_, TCSANOW, &tio);
            return;
        }
        const std::size_t colon = endpoint.rfind(':');
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(static_cast<std::uint16_t>(std::stoi(endpoint.substr(colon + 1))));
        ::inet_pton(AF_INET, endpoint.substr(0, colon).c_str(), &sa.sin_addr);
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) ::close(std::exchange(fd_, -1));
    }
    ~HostLine() {
        if (fd_ >= 0) ::close(fd_);
    }

    bool ok() const { return fd_ >= 0; }
    bool closed() const { return closed_; }

    void Send(const Bytes& bytes) {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // Reads until `count` bytes have come, the line is closed or `timeout` has passed.
    Bytes Read(std::size_t count, Ms timeout = 1000ms) {
        Bytes got;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (got.size() < count) {
            const auto left = std::chrono::duration_cast<Ms>(deadline - std::chrono::steady_clock::now());
            pollfd p{fd_, POLLIN, 0};
            if (left <= 0ms || ::poll(&p, 1, static_cast<int>(left.count())) != 1) break;
            std::uint8_t chunk[256];
            const ssize_t n = ::read(fd_, chunk, std::min(sizeof chunk, count - got.size()));
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
    int fd_ = -1;
    bool closed_ = false;
};

TEST(ScaleSimOverPty, LinkServiceLinesAndAReopenedSlave) {
    testsupport::TempDir dir;
    const std::string link = (dir.path() / "scale").string();
    SimProcess sim({"--pty", "--link", link, "--protocol", "pos"});
    ASSERT_TRUE(sim.endpoint().starts_with("/dev/pts/")) << sim.endpoint();
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), sim.endpoint());
    {
        HostLine host(link);
        ASSERT_TRUE(host.ok());
        EXPECT_EQ(host.Exchange(ToBytes("Gsern\r\n"), 15), ToBytes("sern=12345678\r\n"));
        EXPECT_EQ(host.Exchange(ToBytes("Smax30\r\n"), 4), ToBytes("OK\r\n"));
    }
    // A host that closes the slave and comes back finds the scale still there, settings kept.
    for (int round = 0; round < 2; ++round) {
        HostLine host(sim.endpoint());
        EXPECT_EQ(host.Exchange(ToBytes("Gmax\r\n"), 8), ToBytes("max=30\r\n"));
        EXPECT_EQ(host.Exchange(kEnq, 1), kAck);
    }
    EXPECT_EQ(sim.Send("quit"), "ok");
}

TEST(ScaleSimOverPty, FaultsActOnTheFrameBehindTheHandshake) {
    SimProcess sim({"--pty"});
    HostLine host(sim.endpoint());
    ASSERT_TRUE(host.ok());

    sim.Control({"nak"});
    EXPECT_EQ(host.Exchange(kEnq, 1), Bytes{scale_sim::kNak});
    EXPECT_EQ(host.Exchange(kEnq, 1), kAck);

    const Bytes clean = host.Exchange(kPosStatus, kPosStatusSize);
    ASSERT_EQ(clean.size(), kPosStatusSize);
    sim.Control({"corrupt-checksum"});
    EXPECT_EQ(host.Exchange(kEnq, 1), kAck);
    Bytes corrupt = host.Exchange(kPosStatus, kPosStatusSize);
    ASSERT_EQ(corrupt.size(), kPosStatusSize);
    corrupt.back() ^= 0xFF;
    EXPECT_EQ(corrupt, clean);

    sim.Control({"stray 2"});
    Bytes stray = {0xA5, 0xA5};
    stray.insert(stray.end(), clean.begin(), clean.end());
    EXPECT_EQ(host.Exchange(kPosStatus, kPosStatusSize + 2), stray);

    sim.Control({"split 300"});
    host.Send(kPosStatus);
    EXPECT_EQ(host.Read(kPosStatusSize, 150ms).size(), 7u);
    EXPECT_EQ(host.Read(7, 1000ms).size(), 7u);

    sim.Control({"silent 1"});
    EXPECT_TRUE(host.Exchange(kEnq, 1, 300ms).empty());
    sim.Control({"silent 0", "pro 0"});
    EXPECT_TRUE(host.Exchange(ToBytes("Gsern\r\n"), 1, 300ms).empty());
    EXPECT_EQ(host.Exchange(kEnq, 1), kAck);
}

class ScaleSimDrop : public ::testing::TestWithParam<const char*> {};

// Half a frame, then the line is cut: a pty starts over on a new path, a TCP socket is closed.
TEST_P(ScaleSimDrop, CutsTheLineMidFrameAndServesTheNextHost) {
    const bool tcp = std::string(GetParam()) == "Tcp";
    SimProcess sim(tcp ? std::vector<std::string>{"--tcp", "127.0.0.1:0"} : std::vector<std::string>{"--pty"});
    const std::string first = sim.endpoint();
    HostLine host(first);
    sim.Control({"drop"});
    EXPECT_EQ(host.Exchange(kPosStatus, kPosStatusSize, 500ms).size(), 7u);
    host.Read(1, 300ms);
    EXPECT_TRUE(host.closed());

    const std::string now = sim.CurrentEndpoint();
    EXPECT_EQ(now == first, tcp) << now;
    HostLine next(now);
    EXPECT_EQ(next.Exchange(kEnq, 1), kAck);
}

INSTANTIATE_TEST_SUITE_P(Lines, ScaleSimDrop, ::testing::Values("Pty", "Tcp"));

}  // namespace
