// Serial connection against pseudo-terminals: the connection opens the slave by its path, the test
// plays the scale on the master side.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

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

namespace {

using driver::ByteVector;
using driver::ErrorCase;
using driver::Option;
using driver::SerialPortConnection;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

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
    void Write(const ByteVector& bytes) const {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }

    // Whatever of count bytes arrives within the wait.
    ByteVector Read(std::size_t count, std::chrono::milliseconds wait = 2000ms) const {
        ByteVector bytes(count);
        std::size_t got = 0;
        for (const auto end = Clock::now() + wait; got < count && Clock::now() < end;) {
            pollfd fd{master_, POLLIN, 0};
            if (::poll(&fd, 1, 20) != 1) continue;
            const ssize_t n = ::read(master_, bytes.data() + got, count - got);
            if (n <= 0) break;
            got += std::size_t(n);
        }
        bytes.resize(got);
        return bytes;
    }

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

bool Never(const ByteVector&) {
    return false;
}
auto AtLeast(std::size_t size) {
    return [size](const ByteVector& bytes) { return bytes.size() >= size; };
}

class SerialPortConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        connection_.Open(err_);
        ASSERT_EQ(err_, ErrorCase::Correct);
    }

    Pty pty_;
    DeadlineProbe connection_{pty_.name()};
    ErrorCase err_ = ErrorCase::Correct;
};

TEST(SerialPortConnectionClosed, OptionsAndTransfers) {
    SerialPortConnection connection("/dev/does-not-matter");
    for (Option option :
         {Option::BaudRate, Option::CharacterSize, Option::StopBits, Option::Parity, Option::FlowControl})
        EXPECT_TRUE(connection.IsOptionSupported(option));
    for (Option option : {Option::Unset, Option::ReuseAddress, Option::KeepAlive}) {
        EXPECT_FALSE(connection.IsOptionSupported(option));
        ErrorCase err = ErrorCase::Correct;
        connection.SetOption(option, "1", err);
        EXPECT_EQ(err, ErrorCase::OptionUnsupported);
        err = ErrorCase::Correct;
        EXPECT_EQ(connection.GetOption(option, err), "");
        EXPECT_EQ(err, ErrorCase::OptionUnsupported);
    }

    ErrorCase err = ErrorCase::Correct;
    connection.SetDefaultOptions(err);
    EXPECT_EQ(err, ErrorCase::UnableToOpenSerialPort);
    EXPECT_EQ(connection.GetOption(Option::BaudRate, err), "") << "a closed port stores nothing";

    try {
        connection.WriteData({1}, err);
        ADD_FAILURE() << "no exception";
    } catch (const std::logic_error& error) {
        EXPECT_STREQ(error.what(),
                     "Norvell::Balvex::Driver::connection, , SerialPortConnection::WriteData, port is closed.");
    }
    ByteVector out;
    EXPECT_THROW(connection.ReadData(out, Never, err), std::logic_error);
}

TEST_F(SerialPortConnectionTest, DefaultOptionsAreStoredAndApplied) {
    connection_.SetOption(Option::StopBits, "2", err_);
    connection_.SetOption(Option::FlowControl, "2", err_);
    ASSERT_TRUE(pty_.Line().c_cflag & CSTOPB);
    connection_.SetDefaultOptions(err_);
    ASSERT_EQ(err_, ErrorCase::Correct);
    const char* expected[] = {"9600", "8", "0", "0", "0"};
    for (int option = 1; option <= 5; ++option)
        EXPECT_EQ(connection_.GetOption(Option(option), err_), expected[option - 1]);

    const termios line = pty_.Line();
    EXPECT_EQ(cfgetospeed(&line), speed_t(B9600));
    EXPECT_EQ(line.c_cflag & (CSIZE | CSTOPB | PARENB | CRTSCTS), tcflag_t(CS8));
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF), 0u);

    connection_.SetOption(Option::FlowControl, "1", err_);  // software
    EXPECT_EQ(pty_.Line().c_iflag & (IXON | IXOFF), tcflag_t(IXON | IXOFF));
}

TEST_F(SerialPortConnectionTest, BadValuesThrowOrFailAndTheTextStaysStored) {
    EXPECT_THROW(connection_.SetOption(Option::BaudRate, "fast", err_), std::invalid_argument);
    EXPECT_EQ(connection_.GetOption(Option::BaudRate, err_), "fast");
    EXPECT_THROW(connection_.SetOption(Option::BaudRate, "99999999999", err_), std::out_of_range);
    const std::pair<Option, const char*> outOfRange[] = {{Option::CharacterSize, "4"}, {Option::CharacterSize, "9"},
                                                         {Option::StopBits, "3"},      {Option::Parity, "-1"},
                                                         {Option::Parity, "3"},        {Option::FlowControl, "3"}};
    for (const auto& [option, text] : outOfRange) {
        EXPECT_THROW(connection_.SetOption(option, text, err_), std::out_of_range) << text;
        EXPECT_EQ(connection_.GetOption(option, err_), text);
    }
    EXPECT_EQ(err_, ErrorCase::Correct);

    connection_.SetOption(Option::BaudRate, "12345", err_);  // not a standard rate
    EXPECT_EQ(err_, ErrorCase::ConnectionError);
    err_ = ErrorCase::Correct;
    connection_.SetOption(Option::StopBits, "1", err_);  // one and a half: not on this platform
    EXPECT_EQ(err_, ErrorCase::ConnectionError);
}

TEST_F(SerialPortConnectionTest, OnlyTheExactText4800SelectsTheLongDeadline) {
    EXPECT_EQ(connection_.Deadline(), 500ms);
    for (const char* text : {" 4800", "04800", "9600"}) {
        connection_.SetBaudRate(text, err_);
        EXPECT_EQ(connection_.Deadline(), 500ms) << '"' << text << '"';
    }
    connection_.SetBaudRate("4800", err_);
    EXPECT_EQ(connection_.Deadline(), 1000ms);
    EXPECT_EQ(err_, ErrorCase::Correct);
}

TEST(SerialPortConnectionOpen, MissingPortIsUnableToOpen) {
    SerialPortConnection connection("/dev/ttyNoSuchPort9");
    ErrorCase err = ErrorCase::Correct;
    connection.Open(err);
    EXPECT_EQ(err, ErrorCase::UnableToOpenSerialPort);
    EXPECT_FALSE(connection.IsOpen());
}

TEST(SerialPortConnectionOpen, PortHeldByAnotherOpenerIsRefusedUntilReleased) {
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
    first->Close();  // closing twice does nothing
    err = ErrorCase::Correct;
    second.Open(err);
    EXPECT_EQ(err, ErrorCase::Correct);
    second.Close();

    first->Open(err);
    first.reset();  // destruction releases the port too
    second.Open(err);
    EXPECT_EQ(err, ErrorCase::Correct);
}

TEST(SerialPortConnectionOpen, ExclusiveFlagIsClearedOnClose) {
    Pty pty;
    SerialPortConnection connection(pty.name());
    ErrorCase err = ErrorCase::Correct;
    connection.Open(err);
    ASSERT_EQ(err, ErrorCase::Correct);

    // Only a privileged opener passes TIOCEXCL; it watches the flag from the side.
    const int watcher = ::open(pty.name().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (watcher < 0) GTEST_SKIP() << "needs a privileged run";
    int exclusive = 0;
    ::ioctl(watcher, TIOCGEXCL, &exclusive);
    EXPECT_EQ(exclusive, 1);
    connection.Close();
    ::ioctl(watcher, TIOCGEXCL, &exclusive);
    EXPECT_EQ(exclusive, 0);
    ::close(watcher);
}

TEST_F(SerialPortConnectionTest, EveryByteValuePassesUnchangedBothWays) {
    ByteVector all(256);
    std::iota(all.begin(), all.end(), std::uint8_t{0});
    connection_.WriteData(all, err_);
    ASSERT_EQ(err_, ErrorCase::Correct);
    EXPECT_EQ(pty_.Read(all.size()), all);

    pty_.Write(all);
    ByteVector out;
    connection_.ReadData(out, AtLeast(all.size()), err_);
    EXPECT_EQ(err_, ErrorCase::Correct);
    EXPECT_EQ(out, all);
    EXPECT_EQ(connection_.GetState(), driver::TransferState::Finished);
    EXPECT_TRUE(pty_.Read(1, 50ms).empty()) << "nothing may be echoed back";
}

TEST_F(SerialPortConnectionTest, WriteDropsAReplyThatCameTooLate) {
    pty_.Write(driver::ToBytes("late"));
    std::this_thread::sleep_for(20ms);
    connection_.WriteData({0x05}, err_);
    EXPECT_EQ(pty_.Read(1), ByteVector{0x05});
    pty_.Write({0x06});
    ByteVector out;
    connection_.ReadData(out, AtLeast(1), err_);
    EXPECT_EQ(out, ByteVector{0x06});
}

TEST_F(SerialPortConnectionTest, ChunkedReplyIsJoinedAndTestedAsAWhole) {
    const ByteVector reply = driver::ToBytes("W:+001.234kg\r\n");
    std::jthread peer([this, &reply] {
        for (std::size_t at = 0; at < reply.size(); at += 5) {
            pty_.Write(ByteVector(reply.begin() + at, reply.begin() + std::min(at + 5, reply.size())));
            std::this_thread::sleep_for(30ms);
        }
    });
    std::vector<ByteVector> seen;
    ByteVector out = {0xAA};  // earlier bytes stay in front
    const auto lineEnded = [&](const ByteVector& bytes) {
        seen.push_back(bytes);
        return bytes.size() > 2 && bytes[bytes.size() - 2] == '\r' && bytes.back() == '\n';
    };
    connection_.ReadData(out, lineEnded, err_);
    peer.join();

    ByteVector expected = {0xAA};
    expected.insert(expected.end(), reply.begin(), reply.end());
    EXPECT_EQ(err_, ErrorCase::Correct);
    EXPECT_EQ(out, expected);
    ASSERT_GE(seen.size(), 2u);
    for (std::size_t i = 1; i < seen.size(); ++i) {
        EXPECT_GT(seen[i].size(), seen[i - 1].size());
        EXPECT_TRUE(std::equal(seen[i].begin(), seen[i].end(), expected.begin())) << "call " << i;
    }
    EXPECT_EQ(seen.back(), expected);
}

TEST_F(SerialPortConnectionTest, UnfinishedReadEndsAtTheDeadlineWithItsBytes) {
    pty_.Write({0x02, 0x30});
    ByteVector out;
    const auto start = Clock::now();
    connection_.ReadData(out, Never, err_);
    const auto elapsed = Clock::now() - start;
    EXPECT_EQ(err_, ErrorCase::Correct);
    EXPECT_EQ(out, (ByteVector{0x02, 0x30}));
    EXPECT_EQ(connection_.GetState(), driver::TransferState::Finished);
    EXPECT_GE(elapsed, 490ms);
    EXPECT_LT(elapsed, 900ms);
}

// Nobody reads the master side, so the line takes a few kilobytes and then stalls mid-write.
TEST_F(SerialPortConnectionTest, StalledWriteEndsAtTheDeadlineAndTheLineStaysUsable) {
    const auto start = Clock::now();
    connection_.WriteData(ByteVector(256 * 1024, 0x55), err_);
    const auto elapsed = Clock::now() - start;
    EXPECT_EQ(err_, ErrorCase::Correct);
    EXPECT_EQ(connection_.GetState(), driver::TransferState::Finished);
    EXPECT_GE(elapsed, 490ms);
    EXPECT_LT(elapsed, 900ms);

    pty_.Write({7});
    ByteVector out;
    connection_.ReadData(out, AtLeast(1), err_);
    EXPECT_EQ(out, (ByteVector{7}));
}

TEST_F(SerialPortConnectionTest, ThrowingCompletenessTestLeavesTheConnectionUsable) {
    pty_.Write({1, 2, 3});
    ByteVector out;
    const auto broken = [](const ByteVector&) -> bool { throw std::runtime_error("bad"); };
    EXPECT_THROW(connection_.ReadData(out, broken, err_), std::runtime_error);
    pty_.Write({4});
    out.clear();
    connection_.ReadData(out, AtLeast(1), err_);
    EXPECT_EQ(err_, ErrorCase::Correct);
    EXPECT_EQ(out, (ByteVector{4}));
}

TEST_F(SerialPortConnectionTest, VanishedPortIsReopenedOnceAndReported) {
    pty_.CloseMaster();  // the line hangs up and its path disappears
    connection_.WriteData({1, 2, 3}, err_);
    EXPECT_EQ(err_, ErrorCase::UnableToOpenSerialPort);  // EIO, then the reopen finds no port
    EXPECT_FALSE(connection_.IsOpen());
}

// The port is reached through a link, as a udev name reaches a USB adapter: after the line hangs
// up, the same path leads to a new line that starts with the system's settings.
TEST(SerialPortConnectionRecovery, AReopenedPortGetsItsOptionsBack) {
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
    EXPECT_EQ(second.Read(2), (ByteVector{0x41, 0x42}));
    const termios line = second.Line();
    EXPECT_EQ(::cfgetospeed(&line), speed_t{B4800});
    EXPECT_EQ(line.c_cflag & CSTOPB, tcflag_t{CSTOPB});
    EXPECT_EQ(connection.GetOption(Option::Parity, err), "2");
}

}  // namespace
