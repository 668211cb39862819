// One client connection: reads requests one at a time, checks the rate, the origin and the token,
// answers through the routes or hands the socket to the stream hub on a WebSocket upgrade.
#pragma once

#include "access.h"
#include "routes.h"
#include "stream-hub.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <memory>
#include <optional>

namespace ponderixd {

// What every connection shares; used on the server's one thread.
struct ServerContext {
    const ServiceConfig& config;
    Access access;
    Routes routes;
    StreamHub& hub;
    int connections = 0;
};

class HttpSession : public std::enable_shared_from_this<HttpSession> {
public:
    HttpSession(boost::asio::ip::tcp::socket socket, ServerContext& context);
    ~HttpSession();

    void Start();

private:
    void ReadRequest();
    void OnRequest(boost::beast::error_code ec);
    void Answer(const Request& request);
    void Send(Response response, bool keepAlive);
    void AddCors(Response& response) const;

    boost::beast::tcp_stream stream_;
    boost::beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    ServerContext& context_;
    std::string address_;
    std::string origin_;  // of the request being answered
    std::string asked_;   // what it asked, for the log
};

}  // namespace ponderixd
