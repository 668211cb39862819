#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace scale_sim {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kSoh = 0x01;
inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;
inline constexpr std::uint8_t kEot = 0x04;
inline constexpr std::uint8_t kEnq = 0x05;
inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kDc1 = 0x11;
inline constexpr std::uint8_t kNak = 0x15;
inline constexpr char kCr = '\r';
inline constexpr char kLf = '\n';
// The end of a service line, both ways.
inline constexpr std::string_view kLineEnd = "\r\n";

// One answer of the scale. Handshake answers (the single ACK to an enquiry) are kept apart
// because the fault switches aim at the data that follows them.
struct Reply {
    Bytes bytes;
    bool handshake = false;
    std::optional<std::size_t> checksum_at;  // index of the checksum byte, if the frame has one
};

// The result of looking at the head of the input: how many bytes one request took (0 = the
// request is not complete yet) and what the scale answers to it, if anything.
struct ParseStep {
    std::size_t consumed = 0;
    std::optional<Reply> reply;
};

std::uint8_t XorOf(std::span<const std::uint8_t> bytes);

// "06 02 0a": two lower-case digits a byte, separated by blanks.
std::string ToHex(std::span<const std::uint8_t> bytes);

Bytes ToBytes(std::string_view text);

}  // namespace scale_sim
