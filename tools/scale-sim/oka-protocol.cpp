#include "oka-protocol.h"

#include <cstdlib>

namespace scale_sim {
namespace {

constexpr std::uint8_t kWeightCommand = 0x02;
constexpr std::uint8_t kSumCommand = 0x06;
constexpr std::uint8_t kTareCommand = 0x07;
// The zero command is a run of zeros closed by this byte.
constexpr std::uint8_t kZeroRunEnd = 0x01;
constexpr std::size_t kDigitRequestSize = 7;
constexpr std::size_t kZeroRun = 15;
constexpr std::size_t kWeightAnswerSize = 24;
constexpr std::size_t kSumAnswerSize = 18;

// `count` decimal digits of `value`, least significant first, into `out` from `at`.
void PutDigits(Bytes& out, std::size_t at, std::uint64_t value, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i, value /= 10) out[at + i] = static_cast<std::uint8_t>(value % 10);
}

ParseStep ZeroRun(std::span<const std::uint8_t> input, ScaleState& state) {
    std::size_t zeros = 0;
    while (zeros < input.size() && input[zeros] == 0) ++zeros;
    if (zeros == input.size()) {
        // Keep waiting for the closing 01, but never hold more zeros than the command has.
        return {zeros > kZeroRun ? zeros - kZeroRun : 0, std::nullopt};
    }
    if (input[zeros] == kZeroRunEnd && zeros >= kZeroRun) {
        state.SetZero();
        return {zeros + 1, std::nullopt};
    }
    return {zeros, std::nullopt};
}

}  // namespace

std::uint8_t OkaFlag(const ScaleState& state) {
    std::uint8_t flag = 0;
    if (!state.stable) flag |= kOkaUnstable;
    if (state.overload) flag |= kOkaOverload;
    if (state.weight < 0) flag |= kOkaNegative;
    return flag;
}

Reply OkaWeightAnswer(const ScaleState& state) {
    Reply reply;
    reply.bytes.assign(kWeightAnswerSize, 0);
    PutDigits(reply.bytes, 0, static_cast<std::uint64_t>(std::llabs(state.weight)), 6);
    reply.bytes[11] = OkaFlag(state);
    return reply;
}

Reply OkaSumAnswer(const ScaleState& state) {
    Reply reply;
    reply.bytes.assign(kSumAnswerSize, 0);
    std::int64_t gross = static_cast<std::int64_t>(state.weight) + state.tare;
    PutDigits(reply.bytes, 0, static_cast<std::uint64_t>(gross > 0 ? gross * 10 : 0), 7);
    return reply;
}

ParseStep OkaConsume(std::span<const std::uint8_t> input, ScaleState& state) {
    if (input.empty()) return {};
    switch (input[0]) {
        case kSumCommand:
            return {1, OkaSumAnswer(state)};
        case kWeightCommand:
            if (input.size() < kDigitRequestSize) return {};
            return {kDigitRequestSize, OkaWeightAnswer(state)};
        case kTareCommand: {
            if (input.size() < kDigitRequestSize) return {};
            std::int32_t tare = 0;
            for (std::size_t i = kDigitRequestSize - 1; i >= 1; --i) tare = tare * 10 + input[i];
            state.SpecifyTare(tare);
            return {kDigitRequestSize, std::nullopt};
        }
        case 0x00:
            return ZeroRun(input, state);
        default:
            return {1, std::nullopt};
    }
}

}  // namespace scale_sim
