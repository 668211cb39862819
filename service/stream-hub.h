// The WebSocket streams: each client of a scale gets the reading object on every change. The hub
// takes the pollers' snapshots (on their threads), writes the JSON once and hands it to the
// streams on the server's thread.
#pragma once

#include "routes.h"
#include "scale-snapshot.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace ponderixd {

class StreamSession;

class StreamHub : public SnapshotSink {
public:
    explicit StreamHub(boost::asio::io_context& context);

    void OnSnapshot(const ScaleSnapshot& snapshot) override;
    // As many streams as file descriptors allow for: another upgrade is refused.
    bool Full();
    // Completes the upgrade of `request` on `socket` and streams scale `id`, starting with `first`.
    void Accept(boost::asio::ip::tcp::socket socket, Request request, const std::string& id, std::string first);

private:
    boost::asio::io_context& context_;
    // Touched on the server's thread only.
    std::unordered_map<std::string, std::vector<std::weak_ptr<StreamSession>>> streams_;
};

}  // namespace ponderixd
