#pragma once

#include <string>

#include "transport.h"

namespace scale_sim {

// A listening TCP socket that serves one host at a time; once that host leaves (or the line is
// dropped) the next connection is accepted. Waiting hosts stay in the listen backlog.
class TcpTransport : public Transport {
public:
    // `address`: "IPv4:PORT", PORT 0 picks a free port. Throws on failure.
    explicit TcpTransport(const std::string& address);
    ~TcpTransport() override;
    TcpTransport(const TcpTransport&) = delete;
    TcpTransport& operator=(const TcpTransport&) = delete;

    std::string Endpoint() const override { return endpoint_; }
    pollfd PollEntry() const override;
    LinkEvent Service(short revents, Bytes& received) override;
    bool Connected() const override { return client_ >= 0; }
    bool Write(std::span<const std::uint8_t> bytes) override;
    void Drop() override { CloseClient(); }

private:
    void CloseClient();

    int listener_ = -1;
    int client_ = -1;
    std::string endpoint_;
};

}  // namespace scale_sim
