#include "protocols/pos/pos-validators.h"

#include <algorithm>
#include <array>

#include "commands/wire-bytes.h"
#include "log/logging.h"

namespace driver {

namespace {

template <std::size_t N>
bool Contains(const ByteVector& reply, const std::array<std::uint8_t, N>& pattern) {
    return std::search(reply.begin(), reply.end(), pattern.begin(), pattern.end()) != reply.end();
}

}  // namespace

std::optional<std::size_t> FindPOSFrameStart(const ByteVector& reply) {
    for (std::size_t p = 0; p + 4 <= reply.size(); ++p) {
        if (reply[p] == wire::kAck && reply[p + 1] == wire::kStx) return p;
    }
    return std::nullopt;
}

bool POSStatusOfWeightChannelResponseValidator(const ByteVector& reply) {
    LogTrace("command-executor", "POSCommunicator::POSStatusOfWeightChannelResponseValidator()");
    const std::size_t size = reply.size();
    const std::optional<std::size_t> start = FindPOSFrameStart(reply);
    if (!start) return false;
    const std::size_t p = *start;
    // The frame found first decides; a later frame is not looked for.
    const std::size_t len = reply[p + 2];
    const std::size_t checksumAt = p + 3 + len;
    if (checksumAt >= size) return false;
    std::uint8_t checksum = 0;
    for (std::size_t i = p + 2; i < checksumAt; ++i) checksum ^= reply[i];
    return reply[checksumAt] == checksum;
}

bool POSSetZeroResponseValidator(const ByteVector& reply) {
    return Contains(reply, std::array<std::uint8_t, 6>{wire::kAck, wire::kStx, 0x02, 0x30, 0x00, 0x32});
}

bool POSSetTareResponseValidator(const ByteVector& reply) {
    return Contains(reply, std::array<std::uint8_t, 6>{wire::kAck, wire::kStx, 0x02, 0x31, 0x00, 0x33});
}

bool POSSpecifyTareResponseValidator(const ByteVector& reply) {
    return Contains(reply, std::array<std::uint8_t, 3>{0x02, 0x32, 0x00});
}

}  // namespace driver
