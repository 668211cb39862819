#include "protocols/oka/oka-digits.h"

#include <algorithm>

#include "log/byte-list-log.h"
#include "log/logging.h"

namespace driver {

namespace {
constexpr std::size_t kTareDigits = 6;
constexpr std::size_t kMaxDigits = 18;  // stays below 2^64
}  // namespace

std::optional<std::uint64_t> DigitsToNumber(const ByteVector& digits) {
    if (digits.empty() || digits.size() > kMaxDigits) return std::nullopt;
    std::uint64_t value = 0;
    for (std::uint8_t digit : digits) {
        if (digit > 9) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::string DigitsToNumberText(const ByteVector& digits) {
    const auto value = DigitsToNumber(digits);
    return value ? std::to_string(*value) : std::string();
}

ByteVector WeightPlusTare(const ByteVector& weight, const ByteVector& sum, ErrorCase& err) {
    const ByteVector zero(kTareDigits, 0);
    const bool sumIsZero = std::all_of(sum.begin(), sum.end(), [](std::uint8_t b) { return b == 0; });
    if (sumIsZero || (sum.size() >= weight.size() && std::equal(weight.begin(), weight.end(), sum.begin())))
        return zero;

    const auto w = DigitsToNumber(weight);
    const auto s = DigitsToNumber(sum);
    if (!w || !s) {
        LogError("oka-digits", "WeightPlusTare(), weight or sum bytes are not decimal digits");
        err = ErrorCase::DeviceResponseIncorrectFormat;
        return {};
    }
    if (*s < *w) return zero;

    const std::uint64_t rounded = (*s + 5) / 10;
    const std::int64_t tare = static_cast<std::int64_t>(rounded) - static_cast<std::int64_t>(*w);
    if (TraceEnabled()) {
        TraceBare("Weight plus tare: " + std::to_string(rounded));
        TraceBare("Tare: " + std::to_string(tare));
    }
    if (tare <= 0) return zero;

    const std::string text = std::to_string(tare);
    if (text.size() > kTareDigits) {
        LogError("oka-digits", "WeightPlusTare(), tare [@] has more than six digits", text);
        err = ErrorCase::DeviceResponseIncorrectFormat;
        return {};
    }
    ByteVector digits(kTareDigits - text.size(), 0);
    for (char c : text) digits.push_back(static_cast<std::uint8_t>(c - '0'));
    return digits;
}

}  // namespace driver
