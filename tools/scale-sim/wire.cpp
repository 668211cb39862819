#include "wire.h"

#include <cstdio>

namespace scale_sim {

std::uint8_t XorOf(std::span<const std::uint8_t> bytes) {
    std::uint8_t sum = 0;
    for (std::uint8_t b : bytes) sum ^= b;
    return sum;
}

std::string ToHex(std::span<const std::uint8_t> bytes) {
    std::string text;
    char digits[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned>(b));
        if (!text.empty()) text += ' ';
        text += digits;
    }
    return text;
}

Bytes ToBytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

}  // namespace scale_sim
