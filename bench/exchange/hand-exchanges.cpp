#include "hand-exchanges.h"

#include <algorithm>

namespace exchange_bench {

namespace {

constexpr std::chrono::milliseconds kDeadline(700);
constexpr std::uint8_t kEnq = 0x05, kAck = 0x06, kNak = 0x15, kStx = 0x02;

bool AckOrNak(const Bytes& in) {
    return std::any_of(in.begin(), in.end(), [](std::uint8_t b) { return b == kAck || b == kNak; });
}

bool PosFrame(const Bytes& in) {
    if (in.size() < 4) return false;
    for (std::size_t p = 0; p + 4 <= in.size(); ++p) {
        if (in[p] != kAck || in[p + 1] != kStx) continue;
        const std::size_t len = in[p + 2];
        if (p + 3 + len >= in.size()) return false;
        std::uint8_t x = 0;
        for (std::size_t i = p + 2; i <= p + 2 + len; ++i) x ^= in[i];
        return in[p + 3 + len] == x;
    }
    return false;
}

bool CasFrame(const Bytes& in) {
    if (in.size() < 15) return false;
    for (std::size_t q = 13; q + 1 < in.size(); ++q) {
        if (in[q] != 0x03 || in[q + 1] != 0x04) continue;
        std::uint8_t x = 0;
        for (std::size_t i = q - 11; i <= q - 2; ++i) x ^= in[i];
        return in[q - 13] == 0x01 && in[q - 12] == 0x02 && in[q - 1] == x;
    }
    return false;
}

bool OkaWeight(const Bytes& in) {
    return in.size() >= 24 && std::all_of(in.begin() + 6, in.begin() + 11, [](std::uint8_t b) { return b == 0; });
}

bool OkaSum(const Bytes& in) {
    return in.size() >= 18;
}

bool Line(const Bytes& in) {
    return in.size() >= 3 && in[in.size() - 2] == '\r' && in.back() == '\n';
}

bool Exchange(RawLine& line, const Bytes& request, Bytes& in, const Complete& complete) {
    return line.Write(request) && line.ReadUntil(in, complete, kDeadline);
}

}  // namespace

bool HandPosStatus(RawLine& line, Bytes& scratch) {
    static const Bytes enq{kEnq};
    static const Bytes status{0x02, 0x05, 0x3A, 0x30, 0x30, 0x33, 0x30, 0x3C};
    return Exchange(line, enq, scratch, AckOrNak) && scratch.size() == 1 && Exchange(line, status, scratch, PosFrame);
}

bool HandCasStatus(RawLine& line, Bytes& scratch) {
    static const Bytes enq{kEnq};
    static const Bytes request{0x11};
    return Exchange(line, enq, scratch, AckOrNak) && scratch.size() == 1 && scratch[0] == kAck &&
           Exchange(line, request, scratch, CasFrame);
}

bool HandOkaStatus(RawLine& line, Bytes& scratch) {
    static const Bytes weight{0x02, 0x09, 0x09, 0x09, 0x09, 0x09, 0x09};
    static const Bytes sum{0x06};
    return Exchange(line, weight, scratch, OkaWeight) && Exchange(line, sum, scratch, OkaSum);
}

bool HandBalvexMaxWeight(RawLine& line, Bytes& scratch) {
    static const Bytes request{'G', 'm', 'a', 'x', '\r', '\n'};
    return Exchange(line, request, scratch, Line) && scratch.size() > 4 && scratch[0] == 'm';
}

}  // namespace exchange_bench
