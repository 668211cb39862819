// Both transports against a peer on this machine: the serial port against a pseudo-terminal whose
// master side plays the scale, the TCP socket against a loopback listener. One typed suite holds the
// contract of Connection; the transport's own behaviour follows it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>
#include <chrono>
#include <filesystem>
#include <memory>
#include <numeric>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/temp-dir.h"
#include "transport/serial-port-connection.h"
#include "transport/tcp-connection.h"

namespace {

using boost::asio::ip::tcp;
using driver::ByteVector;
using driver::ErrorCase;
using driver::Option;
using driver::SerialPortConnection;
using driver::TCPConnection;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Whatever of count bytes arrives on fd within the wait.
ByteVector ReadUpTo(int fd, std::size_t count, std::chrono::milliseconds wait = 2000ms) {
    ByteVector bytes(count);
    std::size_t got = 0;
    for (const auto end = Clock::now() + wait; got < count && Clock::now() < end;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) != 1) continue;
        const ssize_t n = ::read(fd, bytes.data() + got, count - got);
        if (n <= 0) break;
        got += std::size_t(n);
    }
    bytes.resize(got);
    return bytes;
}

bool Never(const ByteVector&) {
    return false;
}
auto AtLeast(std::size_t size) {
    return [size](const ByteVector& bytes) { return bytes.size() >= size; };
}

class Pty {
public:
    Pty() {
        char name[128] = {};
        int slave = -1;
        if (::openpty(&master_, &slave, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
        ::close(slave);  // like a real port: nobody holds it until the connection opens it
        name_ = name;
    }
    ~Pty() { CloseMaster(); }
    const std::string& name() const { return name_; }
    int fd() const { return master_; }
    termios Line() const {  // the master reports the slave's settings
        termios line{};
        ::tcgetattr(master_, &line);
        return line;
    }
    void CloseMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    std::string name_;
};

class DeadlineProbe : public SerialPortConnection {
public:
    using SerialPortConnection::Deadline;
    using SerialPortConnection::SerialPortConnection;
};

// A transport as the typed suite sees it: a connection, the peer's descriptor and the deadline.
struct SerialLine {
    static constexpr auto kDeadline = 500ms;
    void Accept() {}
    int PeerFd() const { return pty.fd(); }

    Pty pty;
    DeadlineProbe connection{pty.name()};
};

struct TcpLine {
    static constexpr auto kDeadline = 700ms;
    void Accept() {
        peer = tcp::socket(io);
        acceptor.accept(peer);
    }
    int PeerFd() { return peer.native_handle(); }
    std::string Port() const { return std::to_string(acceptor.local_endpoint().port()); }

    boost::asio::io_context io;
    tcp::acceptor acceptor{io, tcp::endpoint(boost::asio::ip::address_v4::loopback(), 0)};
    tcp::socket peer{io};
    TCPConnection connection{"127.0.0.1:" + Port(), "77"};
};

template <class Line>
class ConnectionContract : public ::testing::Test {
protected:
    void Open() {
        line_.connection.Open(err_);
        ASSERT_EQ(err_, ErrorCase::Correct);
        line_.Accept();
    }
    void PeerWrite(const ByteVector& bytes) {
        ASSERT_EQ(::write(line_.PeerFd(), bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    ByteVector PeerRead(std::size_t count, std::chrono::milliseconds wait = 2000ms) {
        return ReadUpTo(line_.PeerFd(), count, wait);
    }
    ByteVector Read(const driver::ResponseValidator& isComplete) {
        ByteVector out;
        line_.connection.ReadData(out, isComplete, err_);
        return out;
    }

    Line line_;
    driver::Connection& connection_ = line_.connection;
    ErrorCase err_ = ErrorCase::Correct;
};

using Transports = ::testing::Types<SerialLine, TcpLine>;
TYPED_TEST_SUITE(ConnectionContract, Transports);

TYPED_TEST(ConnectionContract, ClosedConnectionRefusesTransfersUntilReopened) {
    this->Open();
    this->connection_.Close();
    this->connection_.Close();
    EXPECT_FALSE(this->connection_.IsOpen());
    EXPECT_THROW(this->connection_.WriteData({1}, this->err_), std::logic_error);
    EXPECT_THROW(this->Read(Never), std::logic_error);
    this->Open();
    this->connection_.WriteData({0x05}, this->err_);
    EXPECT_EQ(this->PeerRead(1), ByteVector{0x05});
}

TYPED_TEST(ConnectionContract, EveryByteValuePassesUnchangedBothWays) {
    this->Open();
    ByteVector all(256);
    std::iota(all.begin(), all.end(), std::uint8_t{0});
    this->connection_.WriteData(all, this->err_);
    ASSERT_EQ(this->err_, ErrorCase::Correct);
    EXPECT_EQ(this->PeerRead(all.size()), all);

    this->PeerWrite(all);
    EXPECT_EQ(this->Read(AtLeast(all.size())), all);
    EXPECT_EQ(this->err_, ErrorCase::Correct);
    EXPECT_EQ(this->connection_.GetState(), driver::TransferState::Finished);
    EXPECT_TRUE(this->PeerRead(1, 50ms).empty()) << "nothing may be echoed back";
}

TYPED_TEST(ConnectionContract, WriteDropsAReplyThatCameTooLate) {
    this->Open();
    this->PeerWrite(driver::ToBytes("late"));
    std::this_thread::sleep_for(20ms);  // no condition to wait on: the bytes must be in before the write
    this->connection_.WriteData({0x05}, this->err_);
    EXPECT_EQ(this->PeerRead(1), ByteVector{0x05});
    this->PeerWrite({0x06});
    EXPECT_EQ(this->Read(AtLeast(1)), ByteVector{0x06});
}

TYPED_TEST(ConnectionContract, ChunkedReplyIsJoinedAndTestedAsAWhole) {
    this->Open();
    const ByteVector reply = driver::ToBytes("W:+001.234kg\r\n");
    std::jthread peer([this, &reply] {
        for (std::size_t at = 0; at < reply.size(); at += 5) {
            this->PeerWrite(ByteVector(reply.begin() + at, reply.begin() + std::min(at + 5, reply.size())));
            std::this_thread::sleep_for(30ms);
        }
    });
    ByteVector expected = {0xAA};  // earlier bytes stay in front
    expected.insert(expected.end(), reply.begin(), reply.end());
    std::vector<std::size_t> seen;  // each call sees a longer start of the whole
    const auto lineEnded = [&](const ByteVector& bytes) {
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), expected.begin())) << "call " << seen.size();
        seen.push_back(bytes.size());
        return bytes.size() > 2 && bytes[bytes.size() - 2] == '\r' && bytes.back() == '\n';
    };
    ByteVector out = {0xAA};
    this->connection_.ReadData(out, lineEnded, this->err_);
    peer.join();
    EXPECT_EQ(this->err_, ErrorCase::Correct);
    EXPECT_EQ(out, expected);
    EXPECT_GE(seen.size(), 2u);
    EXPECT_TRUE(std::ranges::is_sorted(seen)) << "a call saw fewer bytes than the one before";
    EXPECT_EQ(seen.back(), expected.size());
}

TYPED_TEST(ConnectionContract, UnfinishedReadEndsAtTheDeadlineWithItsBytes) {
    this->Open();
    this->PeerWrite({0x02, 0x30});
    const auto start = Clock::now();
    EXPECT_EQ(this->Read(Never), (ByteVector{0x02, 0x30}));
    const auto elapsed = Clock::now() - start;
    EXPECT_EQ(this->err_, ErrorCase::Correct);
    EXPECT_EQ(this->connection_.GetState(), driver::TransferState::Finished);
    EXPECT_GE(elapsed, TypeParam::kDeadline - 10ms);
    EXPECT_LT(elapsed, TypeParam::kDeadline + 400ms);
}

TYPED_TEST(ConnectionContract, ThrowingCompletenessTestLeavesTheConnectionUsable) {
    this->Open();
    this->PeerWrite({1, 2, 3});
    EXPECT_THROW(this->Read([](const ByteVector&) -> bool { throw std::runtime_error("bad"); }), std::runtime_error);
    this->PeerWrite({4});
    EXPECT_EQ(this->Read(AtLeast(1)), (ByteVector{4}));
    EXPECT_EQ(this->err_, ErrorCase::Correct);
}

// Options a transport does not have are refused, open or not.
TYPED_TEST(ConnectionContract, UnsupportedOptionsAreRefused) {
    for (Option option : {Option::Unset, Option::ReuseAddress, Option::KeepAlive}) {
        EXPECT_FALSE(this->connection_.IsOptionSupported(option));
        this->err_ = ErrorCase::Correct;
        this->connection_.SetOption(option, "1", this->err_);
        EXPECT_EQ(this->err_, ErrorCase::OptionUnsupported);
        this->err_ = ErrorCase::Correct;
        EXPECT_EQ(this->connection_.GetOption(option, this->err_), "");
        EXPECT_EQ(this->err_, ErrorCase::OptionUnsupported);
    }
}

// ---- The serial port's own behaviour: line options, the deadline by baud rate, the lock, hang-ups.

class SerialPortTest : public ConnectionContract<SerialLine> {
protected:
    void SetUp() override { Open(); }
    DeadlineProbe& port() { return line_.connection; }
};

TEST(SerialPortClosed, AMissingPortOpensNothingAndStoresNoOption) {
    SerialPortConnection connection("/dev/ttyNoSuchPort9");
    for (Option option :
         {Option::BaudRate, Option::CharacterSize, Option::StopBits, Option::Parity, Option::FlowControl})
        EXPECT_TRUE(connection.IsOptionSupported(option));
    ErrorCase err = ErrorCase::Correct;
    connection.SetDefaultOptions(err);
    EXPECT_EQ(err, ErrorCase::UnableToOpenSerialPort);
    EXPECT_EQ(connection.GetOption(Option::BaudRate, err), "") << "a closed port stores nothing";
    err = ErrorCase::Correct;
    connection.Open(err);
    EXPECT_EQ(err, ErrorCase::UnableToOpenSerialPort);
    EXPECT_FALSE(connection.IsOpen());
}

TEST_F(SerialPortTest, DefaultOptionsAreStoredAndApplied) {
    port().SetOption(Option::StopBits, "2", err_);
    port().SetOption(Option::FlowControl, "2", err_);
    ASSERT_TRUE(line_.pty.Line().c_cflag & CSTOPB);
    port().SetDefaultOptions(err_);
    ASSERT_EQ(err_, ErrorCase::Correct);
    const char* expected[] = {"9600", "8", "0", "0", "0"};
    for (int option = 1; option <= 5; ++option) EXPECT_EQ(port().GetOption(Option(option), err_), expected[option - 1]);

    const termios line = line_.pty.Line();
    EXPECT_EQ(cfgetospeed(&line), speed_t(B9600));
    EXPECT_EQ(line.c_cflag & (CSIZE | CSTOPB | PARENB | CRTSCTS), tcflag_t(CS8));
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF), 0u);

    port().SetOption(Option::FlowControl, "1", err_);  // software
    EXPECT_EQ(line_.pty.Line().c_iflag & (IXON | IXOFF), tcflag_t(IXON | IXOFF));
}

TEST_F(SerialPortTest, BadValuesThrowOrFailAndTheTextStaysStored) {
    EXPECT_THROW(port().SetOption(Option::BaudRate, "fast", err_), std::invalid_argument);
    EXPECT_EQ(port().GetOption(Option::BaudRate, err_), "fast");
    EXPECT_THROW(port().SetOption(Option::BaudRate, "99999999999", err_), std::out_of_range);
    const std::pair<Option, const char*> outOfRange[] = {{Option::CharacterSize, "4"}, {Option::CharacterSize, "9"},
                                                         {Option::StopBits, "3"},      {Option::Parity, "-1"},
                                                         {Option::Parity, "3"},        {Option::FlowControl, "3"}};
    for (const auto& [option, text] : outOfRange) {
        EXPECT_THROW(port().SetOption(option, text, err_), std::out_of_range) << text;
        EXPECT_EQ(port().GetOption(option, err_), text);
    }
    EXPECT_EQ(err_, ErrorCase::Correct);

    port().SetOption(Option::BaudRate, "12345", err_);  // not a standard rate
    EXPECT_EQ(err_, ErrorCase::ConnectionError);
    err_ = ErrorCase::Correct;
    port().SetOption(Option::StopBits, "1", err_);  // one and a half: not on this platform
    EXPECT_EQ(err_, ErrorCase::ConnectionError);
}

TEST_F(SerialPortTest, OnlyTheExactText4800SelectsTheLongDeadline) {
    EXPECT_EQ(port().Deadline(), 500ms);
    for (const char* text : {" 4800", "04800", "9600"}) {
        port().SetBaudRate(text, err_);
        EXPECT_EQ(port().Deadline(), 500ms) << '"' << text << '"';
    }
    port().SetBaudRate("4800", err_);
    EXPECT_EQ(port().Deadline(), 1000ms);
    EXPECT_EQ(err_, ErrorCase::Correct);
}

// Nobody reads the master side, so the line takes a few kilobytes and then stalls mid-write.
TEST_F(SerialPortTest, StalledWriteEndsAtTheDeadlineAndTheLineStaysUsable) {
    const auto start = Clock::now();
    port().WriteData(ByteVector(256 * 1024, 0x55), err_);
    const auto elapsed = Clock::now() - start;
    EXPECT_EQ(err_, ErrorCase::Correct);
    EXPECT_GE(elapsed, 490ms);
    EXPECT_LT(elapsed, 900ms);
    PeerWrite({7});
    EXPECT_EQ(Read(AtLeast(1)), (ByteVector{7}));
}

TEST_F(SerialPortTest, VanishedPortIsReopenedOnceAndReported) {
    line_.pty.CloseMaster();  // the line hangs up and its path disappears
    port().WriteData({1, 2, 3}, err_);
    EXPECT_EQ(err_, ErrorCase::UnableToOpenSerialPort);  // EIO, then the reopen finds no port
    EXPECT_FALSE(port().IsOpen());
}

TEST(SerialPortOpen, PortHeldByAnotherOpenerIsRefusedUntilReleased) {
    Pty pty;
    ErrorCase err = ErrorCase::Correct;
    auto first = std::make_unique<SerialPortConnection>(pty.name());
    first->Open(err);
    ASSERT_EQ(err, ErrorCase::Correct);

    SerialPortConnection second(pty.name());
    second.Open(err);
    EXPECT_EQ(err, ErrorCase::ConnectionError);
    EXPECT_FALSE(second.IsOpen());

    first->Close();
    err = ErrorCase::Correct;
    second.Open(err);
    EXPECT_EQ(err, ErrorCase::Correct);
    second.Close();

    first->Open(err);
    first.reset();  // destruction releases the port too
    second.Open(err);
    EXPECT_EQ(err, ErrorCase::Correct);

    // Only a privileged opener passes TIOCEXCL; it watches the flag from the side.
    const int watcher = ::open(pty.name().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (watcher < 0) GTEST_SKIP() << "needs a privileged run";
    int exclusive = 0;
    ::ioctl(watcher, TIOCGEXCL, &exclusive);
    EXPECT_EQ(exclusive, 1);
    second.Close();
    ::ioctl(watcher, TIOCGEXCL, &exclusive);
    EXPECT_EQ(exclusive, 0) << "the exclusive flag outlives the close";
    ::close(watcher);
}

// The port is reached through a link, as a udev name reaches a USB adapter: after the line hangs
// up, the same path leads to a new line that starts with the system's settings.
TEST(SerialPortRecovery, AReopenedPortGetsItsOptionsBack) {
    testsupport::TempDir dir;
    const auto link = dir.path() / "ttyScale";
    auto first = std::make_unique<Pty>();
    std::filesystem::create_symlink(first->name(), link);
    SerialPortConnection connection(link.string());
    ErrorCase err = ErrorCase::Correct;
    connection.Open(err);
    ASSERT_EQ(err, ErrorCase::Correct);
    // The OKA line at 4800 baud. A pseudo-terminal keeps 8 data bits and no parity whatever it is
    // asked, so the baud rate and the stop bits show what was applied.
    for (const auto& [option, value] :
         {std::pair{Option::BaudRate, "4800"}, std::pair{Option::CharacterSize, "8"}, std::pair{Option::StopBits, "2"},
          std::pair{Option::Parity, "2"}, std::pair{Option::FlowControl, "0"}})
        connection.SetOption(option, value, err);
    ASSERT_EQ(err, ErrorCase::Correct);

    Pty second;
    const auto swapped = dir.path() / "ttyScale.new";
    std::filesystem::create_symlink(second.name(), swapped);
    std::filesystem::rename(swapped, link);
    first.reset();  // EIO on the old descriptor

    connection.WriteData({0x41, 0x42}, err);
    ASSERT_EQ(err, ErrorCase::Correct);
    EXPECT_EQ(ReadUpTo(second.fd(), 2), (ByteVector{0x41, 0x42}));
    const termios line = second.Line();
    EXPECT_EQ(::cfgetospeed(&line), speed_t{B4800});
    EXPECT_EQ(line.c_cflag & CSTOPB, tcflag_t{CSTOPB});
    EXPECT_EQ(connection.GetOption(Option::Parity, err), "2");
}

// ---- The socket's own behaviour: the address, the service, connect failures and a closing peer.

using TcpTest = ConnectionContract<TcpLine>;

TEST_F(TcpTest, PortInTheAddressWinsAndOpenReturnsAtOnce) {
    const auto start = Clock::now();
    Open();
    EXPECT_LT(Clock::now() - start, 600ms) << "an established connect does not wait for the deadline";
    TCPConnection plain("127.0.0.1", line_.Port());  // a plain address uses the service
    plain.Open(err_);
    EXPECT_EQ(err_, ErrorCase::Correct);
}

TEST_F(TcpTest, RefusedConnectIsAConnectionError) {
    line_.acceptor.close();
    const auto start = Clock::now();
    connection_.Open(err_);
    EXPECT_EQ(err_, ErrorCase::ConnectionError);
    EXPECT_FALSE(connection_.IsOpen());
    EXPECT_LT(Clock::now() - start, 600ms);
}

TEST(TcpConnection, EmptyAddressOrServiceIsUnsetAndNoOptionIsSupported) {
    for (const auto& [address, service] : {std::pair{"", "77"}, std::pair{"127.0.0.1", ""}}) {
        TCPConnection connection(address, service);
        ErrorCase err = ErrorCase::Correct;
        connection.Open(err);
        EXPECT_EQ(err, ErrorCase::Unset) << '"' << address << "\" \"" << service << '"';
        EXPECT_FALSE(connection.IsOpen());
    }
    EXPECT_FALSE(TCPConnection("127.0.0.1", "77").IsOptionSupported(Option::BaudRate));
}

TEST_F(TcpTest, PeerClosingIsAnUnknownTransferErrorAndClosesTheLine) {
    Open();
    PeerWrite(driver::ToBytes("X"));
    line_.peer.close();
    const auto start = Clock::now();
    EXPECT_EQ(driver::ToText(Read(Never)), "X");
    EXPECT_EQ(err_, ErrorCase::BoostErrorUnknown);
    EXPECT_LT(Clock::now() - start, 600ms);
    // Nothing can come over it again: the next transfer is refused at once, not after its deadline.
    EXPECT_FALSE(connection_.IsOpen());
    EXPECT_THROW(Read(Never), std::logic_error);
}

}  // namespace
