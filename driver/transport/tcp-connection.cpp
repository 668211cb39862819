#include "transport/tcp-connection.h"

#include <algorithm>
#include <array>
#include <utility>

#include <boost/system/system_error.hpp>

#include "log/logging.h"

namespace driver {

namespace {

constexpr std::string_view kUnit = "connection";
using boost::asio::ip::tcp;

// "host:port" with exactly one colon and a decimal port names its own port; anything else is a
// plain address on the given service.
std::pair<std::string, std::string> SplitEndPoint(const std::string& address, const std::string& service) {
    const auto colon = address.find(':');
    if (colon == std::string::npos || address.find(':', colon + 1) != std::string::npos) return {address, service};
    const std::string port = address.substr(colon + 1);
    const bool decimal =
        !port.empty() && std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!decimal) return {address, service};
    return {address.substr(0, colon), port};
}

// Names are looked up only on a configured network; a numeric address is taken as it is, since
// the configured-network check would refuse even loopback on a host whose only interface it is.
tcp::resolver::flags ResolveFlags(const std::string& host) {
    boost::system::error_code notNumeric;
    boost::asio::ip::make_address_v4(host, notNumeric);
    return notNumeric ? tcp::resolver::address_configured : tcp::resolver::numeric_host;
}

}  // namespace

TCPConnection::TCPConnection(std::string address, std::string service)
    : AsioConnection("SocketConnection"), address_(std::move(address)), service_(std::move(service)) {}

void TCPConnection::Open(ErrorCase& err) {
    LogInfo(kUnit, "TCPConnection::Open(...) with address: @, service: @", address_, service_);
    boost::system::error_code ec;
    stream_.open(tcp::v4(), ec);
    CheckBoostErrorCase(ec, err);
    if (ec) return;

    ErrorCase connectErr = ErrorCase::Correct;
    Connect(connectErr);
    if (connectErr == ErrorCase::Correct) return;
    err = connectErr;
    Close();
}

void TCPConnection::Connect(ErrorCase& err) {
    if (address_.empty() || service_.empty()) {
        LogError(kUnit, "TCPConnection::Open(...), address or service is empty.");
        err = ErrorCase::Unset;
        return;
    }
    const auto [host, service] = SplitEndPoint(address_, service_);
    boost::system::error_code ec;
    const auto results = resolver_.resolve(tcp::v4(), host, service, ResolveFlags(host), ec);
    CheckBoostErrorCase(ec, err);
    if (ec) return;
    if (results.empty()) {
        LogError(kUnit, "TCPConnection::Open(...), no end point for @:@.", host, service);
        err = ErrorCase::BoostErrorUnknown;
        return;
    }

    peer_ = *results.begin();
    Transfer transfer{err};
    // An abort by the deadline arrives here as operation_aborted and counts as ConnectionError.
    stream_.async_connect(peer_, [this, &transfer](const boost::system::error_code& result) {
        if (Abandoned()) return;
        CheckBoostErrorCase(result, transfer.err);
        Finish();
    });
    RunUntilDeadline();
}

void TCPConnection::Close() {
    if (!stream_.is_open()) return;
    boost::system::error_code ec;
    stream_.close(ec);
    if (ec) throw boost::system::system_error(ec, "TCPConnection::Close");
}

void TCPConnection::DiscardInput() {
    std::array<std::uint8_t, 512> unread;
    boost::system::error_code ec;
    while (!ec && stream_.available(ec) > 0) stream_.read_some(boost::asio::buffer(unread), ec);
}

void TCPConnection::LogWritten(const ByteVector& data) {
    if (!logging::Enabled(LogLevel::Trace)) return;
    LogTrace(kUnit, "WriteData(): bytes written: " + ToText(data));
}

}  // namespace driver
