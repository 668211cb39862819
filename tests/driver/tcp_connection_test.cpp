// TCP connection against listeners on the loopback interface.
#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/read.hpp>
#include <boost/asio/write.hpp>

#include "transport/tcp-connection.h"

namespace {

using boost::asio::ip::tcp;
using driver::ByteVector;
using driver::ErrorCase;
using driver::TCPConnection;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A listener on an ephemeral loopback port whose one peer follows a script on its own thread.
class TCPConnectionTest : public ::testing::Test {
protected:
    template <class Script>
    void Serve(Script script) {
        peer_ = std::jthread([this, script] {
            tcp::socket socket(io_);
            acceptor_.accept(socket);
            script(socket);
        });
    }
    std::string Port() const { return std::to_string(acceptor_.local_endpoint().port()); }
    void Open() {
        connection_.Open(err_);
        ASSERT_EQ(err_, ErrorCase::Correct);
    }

    boost::asio::io_context io_;
    tcp::acceptor acceptor_{io_, tcp::endpoint(boost::asio::ip::address_v4::loopback(), 0)};
    std::jthread peer_;
    TCPConnection connection_{"127.0.0.1:" + Port(), "77"};
    ErrorCase err_ = ErrorCase::Correct;
};

TEST_F(TCPConnectionTest, PortInTheAddressWinsAndOpenReturnsAtOnce) {
    Serve([](tcp::socket&) {});
    const auto start = Clock::now();
    Open();
    EXPECT_TRUE(connection_.IsOpen());
    EXPECT_LT(Clock::now() - start, 600ms) << "an established connect does not wait for the deadline";
    connection_.Close();
    connection_.Close();
    EXPECT_FALSE(connection_.IsOpen());
}

TEST_F(TCPConnectionTest, PlainAddressUsesTheService) {
    Serve([](tcp::socket&) {});
    TCPConnection connection("127.0.0.1", Port());
    connection.Open(err_);
    EXPECT_EQ(err_, ErrorCase::Correct);
}

TEST_F(TCPConnectionTest, RefusedConnectIsAConnectionError) {
    acceptor_.close();
    const auto start = Clock::now();
    connection_.Open(err_);
    EXPECT_EQ(err_, ErrorCase::ConnectionError);
    EXPECT_FALSE(connection_.IsOpen());
    EXPECT_LT(Clock::now() - start, 600ms);
}

TEST(TCPConnection, EmptyAddressOrServiceIsUnset) {
    for (const auto& [address, service] : {std::pair{"", "77"}, std::pair{"127.0.0.1", ""}}) {
        TCPConnection connection(address, service);
        ErrorCase err = ErrorCase::Correct;
        connection.Open(err);
        EXPECT_EQ(err, ErrorCase::Unset) << '"' << address << "\" \"" << service << '"';
        EXPECT_FALSE(connection.IsOpen());
    }
}

TEST(TCPConnection, SupportsNoOptionsAndThrowsWhenClosed) {
    TCPConnection connection("127.0.0.1", "77");
    ErrorCase err = ErrorCase::BoostTimeOut;
    connection.SetDefaultOptions(err);
    EXPECT_EQ(err, ErrorCase::BoostTimeOut);
    for (auto option : {driver::Option::BaudRate, driver::Option::ReuseAddress, driver::Option::KeepAlive}) {
        EXPECT_FALSE(connection.IsOptionSupported(option));
        err = ErrorCase::Correct;
        connection.SetOption(option, "1", err);
        EXPECT_EQ(err, ErrorCase::OptionUnsupported);
        err = ErrorCase::Correct;
        EXPECT_EQ(connection.GetOption(option, err), "");
        EXPECT_EQ(err, ErrorCase::OptionUnsupported);
    }

    try {
        connection.WriteData({1}, err);
        ADD_FAILURE() << "no exception";
    } catch (const std::logic_error& error) {
        EXPECT_STREQ(error.what(),
                     "Norvell::Balvex::Driver::connection, , SocketConnection::WriteData, port is closed.");
    }
}

TEST_F(TCPConnectionTest, RequestAndChunkedReplyRoundTrip) {
    Serve([](tcp::socket& socket) {
        boost::asio::write(socket, boost::asio::buffer(std::string("late")));  // dropped by the write
        std::array<char, 4> request{};
        boost::asio::read(socket, boost::asio::buffer(request));
        if (std::string(request.data(), 4) != "PING") return;
        boost::asio::write(socket, boost::asio::buffer(std::string("PO")));
        std::this_thread::sleep_for(20ms);
        boost::asio::write(socket, boost::asio::buffer(std::string("NG")));
    });
    Open();
    std::this_thread::sleep_for(20ms);
    connection_.WriteData(driver::ToBytes("PING"), err_);
    ByteVector out;
    connection_.ReadData(
        out, [](const ByteVector& bytes) { return bytes.size() >= 4; }, err_);
    EXPECT_EQ(err_, ErrorCase::Correct);
    EXPECT_EQ(driver::ToText(out), "PONG");
}

TEST_F(TCPConnectionTest, PeerClosingIsAnUnknownTransferErrorAndClosesTheLine) {
    Serve([](tcp::socket& socket) { boost::asio::write(socket, boost::asio::buffer(std::string("X"))); });
    Open();
    peer_.join();
    ByteVector out;
    const auto start = Clock::now();
    connection_.ReadData(
        out, [](const ByteVector&) { return false; }, err_);
    EXPECT_EQ(err_, ErrorCase::BoostErrorUnknown);
    EXPECT_EQ(driver::ToText(out), "X");
    EXPECT_LT(Clock::now() - start, 600ms);
    // Nothing can come over it again: the next transfer is refused at once, not after its deadline.
    EXPECT_FALSE(connection_.IsOpen());
    EXPECT_THROW(connection_.ReadData(
                     out, [](const ByteVector&) { return false; }, err_),
                 std::logic_error);
}

}  // namespace
