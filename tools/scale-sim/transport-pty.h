#pragma once

#include <memory>
#include <string>

#include "transport.h"

namespace scale_sim {

// A pseudo-terminal in raw mode. The scale keeps the master; hosts open and close the slave
// as they like. No slave descriptor is held here: the master then reports a hang-up while
// nobody has the slave open, which tells the scale that nobody listens, and nothing is
// written into the void to turn up as stale bytes at the next open.
class PtyTransport : public Transport {
public:
    // `link`: an optional symlink kept pointing at the current slave. Throws on failure.
    explicit PtyTransport(std::string link);
    ~PtyTransport() override;
    PtyTransport(const PtyTransport&) = delete;
    PtyTransport& operator=(const PtyTransport&) = delete;

    std::string Endpoint() const override { return path_; }
    pollfd PollEntry() const override;
    std::optional<std::chrono::milliseconds> RecheckAfter() const override;
    LinkEvent Service(short revents, Bytes& received) override;
    bool Connected() const override { return connected_; }
    bool Write(std::span<const std::uint8_t> bytes) override;

    // Closes the master (the host sees the line hang up) and starts over on a fresh pty,
    // whose path replaces the old one (and the link follows it).
    void Drop() override;

private:
    void Open();
    void CloseMaster();
    void LoseHost();

    std::string link_;
    std::string path_;
    int master_ = -1;
    bool connected_ = false;
};

}  // namespace scale_sim
