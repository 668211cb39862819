#pragma once

#include <span>
#include <vector>

#include "scale-state.h"
#include "wire.h"

namespace scale_sim {

// Turns the bytes a host sends into the scale's answers. Service lines (starting with "G" or
// "S" and ending in CR LF) go to the service protocol on a Pro scale; everything else goes to
// the current retail protocol. Incomplete requests wait in the buffer for more bytes.
class ScaleEngine {
public:
    explicit ScaleEngine(ScaleState& state) : state_(state) {}

    std::vector<Reply> Feed(std::span<const std::uint8_t> bytes);

    // Forgets a half-received request (the line went quiet or the host went away).
    void Reset() { buffer_.clear(); }
    std::size_t Pending() const { return buffer_.size(); }

private:
    ParseStep Step(std::span<const std::uint8_t> input);
    ParseStep BalvexStep(std::span<const std::uint8_t> input);

    ScaleState& state_;
    Bytes buffer_;
};

}  // namespace scale_sim
