#include "web-client.h"

#include <boost/asio/connect.hpp>
#include <boost/beast/core/buffers_to_string.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>

namespace service_bench {
namespace {

namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using boost::asio::ip::tcp;

const tcp::endpoint Loopback(unsigned short port) { return {boost::asio::ip::address_v4::loopback(), port}; }

http::request<http::empty_body> GetRequest(const std::string& target) {
    http::request<http::empty_body> request{http::verb::get, target, 11};
    request.set(http::field::host, "127.0.0.1");
    return request;
}

void Handshake(beast::websocket::stream<beast::tcp_stream>& socket, unsigned short port, const std::string& target) {
    beast::get_lowest_layer(socket).expires_after(std::chrono::seconds(5));
    beast::get_lowest_layer(socket).connect(Loopback(port));
    socket.handshake("127.0.0.1", target);
}

}  // namespace

std::optional<std::string> HttpGet(unsigned short port, const std::string& target) {
    try {
        boost::asio::io_context context;
        beast::tcp_stream stream(context);
        stream.expires_after(std::chrono::seconds(5));
        stream.connect(Loopback(port));
        auto request = GetRequest(target);
        request.keep_alive(false);
        http::write(stream, request);
        beast::flat_buffer buffer;
        http::response<http::string_body> response;
        http::read(stream, buffer, response);
        if (response.result() != http::status::ok) return std::nullopt;
        return response.body();
    } catch (const boost::system::system_error&) {
        return std::nullopt;
    }
}

HttpConnection::HttpConnection(unsigned short port) : stream_(context_) {
    stream_.connect(Loopback(port));
}

bool HttpConnection::Get(const std::string& target) {
    boost::system::error_code error;
    http::write(stream_.socket(), GetRequest(target), error);
    http::response<http::string_body> response;
    if (!error) http::read(stream_.socket(), buffer_, response, error);
    return !error && response.result() == http::status::ok;
}

StreamClient::StreamClient(unsigned short port, const std::string& target) : socket_(context_) {
    Handshake(socket_, port, target);
}

std::optional<std::string> StreamClient::Next(std::chrono::milliseconds timeout) {
    bool done = false;
    boost::system::error_code error;
    buffer_.clear();
    beast::get_lowest_layer(socket_).expires_never();
    socket_.async_read(buffer_, [&](boost::system::error_code result, std::size_t) {
        error = result;
        done = true;
    });
    context_.restart();
    context_.run_for(timeout);
    if (!done) {
        beast::get_lowest_layer(socket_).cancel();
        context_.restart();
        context_.run();
        return std::nullopt;
    }
    if (error) return std::nullopt;
    return beast::buffers_to_string(buffer_.data());
}

StreamCrowd::StreamCrowd(unsigned short port, const std::string& target, int clients) {
    for (int index = 0; index < clients; ++index) {
        clients_.push_back(std::make_unique<Client>(context_));
        Handshake(clients_.back()->socket, port, target);
        beast::get_lowest_layer(clients_.back()->socket).expires_never();
        Read(*clients_.back());
    }
    thread_ = std::thread([this] { context_.run(); });
}

StreamCrowd::~StreamCrowd() {
    context_.stop();
    thread_.join();
}

void StreamCrowd::Read(Client& client) {
    client.socket.async_read(client.buffer, [this, &client](boost::system::error_code error, std::size_t) {
        if (error) {
            ++lost_;
            return;
        }
        ++messages_;
        client.buffer.clear();
        Read(client);
    });
}

}  // namespace service_bench
