#include "pos-protocol.h"

#include <algorithm>

namespace scale_sim {
namespace {

constexpr std::uint8_t kStatusCommand = ':';
constexpr std::uint8_t kZeroCommand = '0';
constexpr std::uint8_t kTareCommand = '1';
constexpr std::uint8_t kSpecifyTareCommand = '2';
constexpr std::size_t kSpecifyTareLength = 7;

void PutLittleEndian(Bytes& out, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

Reply Frame(std::span<const std::uint8_t> payload) {
    Reply reply;
    reply.bytes.reserve(payload.size() + 4);
    reply.bytes.push_back(kAck);
    reply.bytes.push_back(kStx);
    reply.bytes.push_back(static_cast<std::uint8_t>(payload.size()));
    for (std::uint8_t b : payload) reply.bytes.push_back(b);
    reply.bytes.push_back(XorOf(std::span(reply.bytes).subspan(2)));
    reply.checksum_at = reply.bytes.size() - 1;
    return reply;
}

Reply Nak() {
    return Reply{{kNak}, true, std::nullopt};
}

// The specify-tare frame is checked over its payload alone; the fixed frames include LEN.
bool ChecksumHolds(std::span<const std::uint8_t> frame) {
    std::span<const std::uint8_t> payload = frame.subspan(2, frame.size() - 3);
    std::uint8_t expected =
        payload[0] == kSpecifyTareCommand ? XorOf(payload) : XorOf(frame.subspan(1, frame.size() - 2));
    return frame.back() == expected;
}

std::optional<Reply> CarryOut(std::span<const std::uint8_t> payload, ScaleState& state) {
    switch (payload[0]) {
        case kStatusCommand:
            return PosStatusAnswer(state);
        case kZeroCommand:
            state.SetZero();
            return PosCommandAnswer(kZeroCommand);
        case kTareCommand:
            state.SetTare();
            return PosCommandAnswer(kTareCommand);
        case kSpecifyTareCommand:
            if (payload.size() != kSpecifyTareLength) return Nak();
            state.SpecifyTare(payload[5] | (payload[6] << 8));
            return PosCommandAnswer(kSpecifyTareCommand);
        default:
            return Nak();
    }
}

}  // namespace

std::array<std::uint8_t, 2> PosStateBytes(const ScaleState& state) {
    std::uint8_t first = kPosStableSense;
    std::uint8_t second = 0;
    if (state.stable) first |= kPosStable | kPosStableCopy;
    if (state.IsZero()) first |= kPosZero;
    if (state.overload) {
        first |= kPosOverload;
        second |= kPosOverload2;
    }
    if (state.tare != 0) second |= kPosTareInUse2;
    return {first, second};
}

Reply PosStatusAnswer(const ScaleState& state) {
    Bytes payload = {kStatusCommand, '0'};
    auto bits = PosStateBytes(state);
    payload.insert(payload.end(), bits.begin(), bits.end());
    PutLittleEndian(payload, static_cast<std::uint32_t>(state.weight), 4);
    PutLittleEndian(payload, static_cast<std::uint32_t>(std::clamp(state.tare, 0, 0xFFFF)), 2);
    return Frame(payload);
}

Reply PosCommandAnswer(std::uint8_t command) {
    const std::uint8_t payload[] = {command, 0x00};
    return Frame(payload);
}

ParseStep PosConsume(std::span<const std::uint8_t> input, ScaleState& state) {
    if (input.empty()) return {};
    if (input[0] == kEnq) return {1, Reply{{kAck}, true, std::nullopt}};
    if (input[0] != kStx) return {1, std::nullopt};
    if (input.size() < 2) return {};
    std::size_t length = input[1];
    std::size_t total = length + 3;
    if (input.size() < total) return {};
    std::span<const std::uint8_t> frame = input.first(total);
    if (length == 0 || !ChecksumHolds(frame)) return {total, Nak()};
    return {total, CarryOut(frame.subspan(2, length), state)};
}

}  // namespace scale_sim
