#pragma once

#include <chrono>
#include <string>

#include <boost/asio/ip/tcp.hpp>

#include "transport/asio-connection.h"

namespace driver {

// A scale on the network. The address may carry its own port ("192.168.0.5:4001"), which then
// replaces the service. Supports no options.
class TCPConnection : public AsioConnection<boost::asio::ip::tcp::socket> {
public:
    TCPConnection(std::string address, std::string service);

    // Returns as soon as the connect completes; a connect still pending at the deadline fails.
    void Open(ErrorCase& err) override;
    void Close() override;
    void SetDefaultOptions(ErrorCase&) override {}
    void DiscardInput() override;

protected:
    std::chrono::microseconds Deadline() const override { return std::chrono::microseconds(700'000); }
    void LogWritten(const ByteVector& data) override;

private:
    void Connect(ErrorCase& err);

    std::string address_;
    std::string service_;
    boost::asio::ip::tcp::resolver resolver_{io_};
    boost::asio::ip::tcp::endpoint peer_{boost::asio::ip::tcp::v4(), 0};
};

}  // namespace driver
