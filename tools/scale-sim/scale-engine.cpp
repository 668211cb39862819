#include "scale-engine.h"

#include <algorithm>
#include <string_view>

#include "balvex-protocol.h"
#include "cas-protocol.h"
#include "oka-protocol.h"
#include "pos-protocol.h"

namespace scale_sim {
namespace {

// A longer service line is garbage; the scale drops it rather than wait forever.
constexpr std::size_t kMaxServiceLine = 256;

bool StartsServiceLine(std::uint8_t b) {
    return b == 'G' || b == 'S';
}

}  // namespace

std::vector<Reply> ScaleEngine::Feed(std::span<const std::uint8_t> bytes) {
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    std::vector<Reply> replies;
    while (!buffer_.empty()) {
        ParseStep step = Step(buffer_);
        if (step.consumed == 0) break;
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(step.consumed));
        if (!step.reply) continue;
        replies.push_back(std::move(*step.reply));
        state_.CountAnsweredRequest();
    }
    return replies;
}

ParseStep ScaleEngine::Step(std::span<const std::uint8_t> input) {
    if (state_.pro && StartsServiceLine(input[0])) return BalvexStep(input);
    switch (state_.protocol) {
        case RetailProtocol::Pos:
            return PosConsume(input, state_);
        case RetailProtocol::Cas:
            return CasConsume(input, state_, false);
        case RetailProtocol::CasActive:
            return CasConsume(input, state_, true);
        case RetailProtocol::Oka:
            return OkaConsume(input, state_);
    }
    return {input.size(), std::nullopt};
}

ParseStep ScaleEngine::BalvexStep(std::span<const std::uint8_t> input) {
    auto end = std::search(input.begin(), input.end(), kLineEnd.begin(), kLineEnd.end(),
                           [](std::uint8_t b, char c) { return b == static_cast<std::uint8_t>(c); });
    if (end == input.end()) return {input.size() > kMaxServiceLine ? input.size() : 0, std::nullopt};
    std::string_view line(reinterpret_cast<const char*>(input.data()), static_cast<std::size_t>(end - input.begin()));
    std::size_t consumed = line.size() + kLineEnd.size();
    if (state_.IsMuted(line)) return {consumed, std::nullopt};
    return {consumed, Reply{ToBytes(BalvexAnswer(line, state_)), false, std::nullopt}};
}

}  // namespace scale_sim
