#pragma once

#include <poll.h>

#include <chrono>
#include <optional>
#include <span>
#include <string>

#include "wire.h"

namespace scale_sim {

enum class LinkEvent { None, Data, PeerCame, PeerGone };

// The scale's side of the line: a pseudo-terminal or a TCP socket with at most one host.
class Transport {
public:
    virtual ~Transport() = default;

    // What a host connects to: the pty's slave path or "127.0.0.1:PORT".
    virtual std::string Endpoint() const = 0;

    // The descriptor to wait on and its events; fd -1 when there is nothing to wait on.
    virtual pollfd PollEntry() const = 0;

    // Longest sleep before `Service` must run again even without events.
    virtual std::optional<std::chrono::milliseconds> RecheckAfter() const { return std::nullopt; }

    // Handles what poll reported (revents 0 after a plain wake-up); appends bytes read.
    virtual LinkEvent Service(short revents, Bytes& received) = 0;

    virtual bool Connected() const = 0;

    // False when the host is gone; the bytes are then lost, as on a real line.
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;

    // Cuts the line under the host's feet.
    virtual void Drop() = 0;
};

// Waits until `fd` takes more output, at most `timeout`; false on timeout or error.
bool WaitWritable(int fd, std::chrono::milliseconds timeout);

}  // namespace scale_sim
