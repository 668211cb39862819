// Accepts connections on the configured address and starts a session for each.
#pragma once

#include "http-session.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

namespace ponderixd {

class Listener {
public:
    // Throws boost::system::system_error when the address cannot be bound.
    Listener(boost::asio::io_context& io, ServerContext& context);
    void Start();

private:
    void Accept();

    boost::asio::ip::tcp::acceptor acceptor_;
    ServerContext& context_;
};

}  // namespace ponderixd
