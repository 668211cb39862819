// The clients of the benchmarks: Beast over loopback, every wait bounded.
#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/websocket/stream.hpp>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace service_bench {

// One GET on a connection of its own; nothing when it failed or was not 200.
std::optional<std::string> HttpGet(unsigned short port, const std::string& target);

// GETs on one kept-alive connection.
class HttpConnection {
public:
    explicit HttpConnection(unsigned short port);
    // False on any failure or a status other than 200.
    bool Get(const std::string& target);

private:
    boost::asio::io_context context_;
    boost::beast::tcp_stream stream_;
    boost::beast::flat_buffer buffer_;
};

// One WebSocket client read message by message.
class StreamClient {
public:
    StreamClient(unsigned short port, const std::string& target);
    // The next message, or nothing at the deadline or on an error.
    std::optional<std::string> Next(std::chrono::milliseconds timeout);

private:
    boost::asio::io_context context_;
    boost::beast::websocket::stream<boost::beast::tcp_stream> socket_;
    boost::beast::flat_buffer buffer_;
};

// Many WebSocket clients on one thread that read and count whatever they are sent.
class StreamCrowd {
public:
    StreamCrowd(unsigned short port, const std::string& target, int clients);
    ~StreamCrowd();

    long Messages() const { return messages_; }
    // Clients whose stream ended or failed.
    int Lost() const { return lost_; }

private:
    using Socket = boost::beast::websocket::stream<boost::beast::tcp_stream>;
    struct Client {
        explicit Client(boost::asio::io_context& context) : socket(context) {}
        Socket socket;
        boost::beast::flat_buffer buffer;
    };
    void Read(Client& client);

    boost::asio::io_context context_;
    std::vector<std::unique_ptr<Client>> clients_;
    std::atomic<long> messages_{0};
    std::atomic<int> lost_{0};
    std::thread thread_;
};

}  // namespace service_bench
