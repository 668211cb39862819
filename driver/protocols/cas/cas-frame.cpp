#include "protocols/cas/cas-frame.h"

#include "commands/wire-bytes.h"
#include "log/logging.h"

namespace driver {

namespace {

constexpr std::string_view kValidatorUnit = "command-executor";
constexpr std::string_view kUnit = "cas-frame";

constexpr std::size_t kStateAt = 2;
constexpr std::size_t kSignAt = 3;
constexpr std::size_t kWeightAt = 4;
constexpr std::size_t kWeightLength = 6;
constexpr std::size_t kUnitAt = 10;
constexpr std::size_t kFieldsEnd = 12;
constexpr std::size_t kFrameSize = 15;

// Position of the first pair a b at or after from; npos when there is none.
std::size_t FindPair(const ByteVector& bytes, std::uint8_t a, std::uint8_t b, std::size_t from) {
    for (std::size_t i = from; i + 1 < bytes.size(); ++i)
        if (bytes[i] == a && bytes[i + 1] == b) return i;
    return std::string::npos;
}

std::string TextAt(const ByteVector& frame, std::size_t offset, std::size_t length) {
    return std::string(frame.begin() + static_cast<std::ptrdiff_t>(offset),
                       frame.begin() + static_cast<std::ptrdiff_t>(offset + length));
}

}  // namespace

std::optional<CASFrameSpan> FindPolledCASFrame(const ByteVector& reply) {
    if (reply.size() < kFrameSize) return std::nullopt;
    const std::size_t q = FindPair(reply, wire::kEtx, wire::kEot, 0);
    if (q == std::string::npos || q < 13) return std::nullopt;
    if (reply[q - 13] != wire::kSoh || reply[q - 12] != wire::kStx) return std::nullopt;
    std::uint8_t bcc = 0;
    for (std::size_t i = q - 11; i <= q - 2; ++i) bcc ^= reply[i];
    if (reply[q - 1] != bcc) return std::nullopt;
    return CASFrameSpan{q - 13, q + 2};
}

std::optional<CASFrameSpan> FindStreamedCASFrame(const ByteVector& reply) {
    if (reply.size() < kFrameSize) return std::nullopt;
    const std::size_t start = FindPair(reply, wire::kSoh, wire::kStx, 0);
    if (start == std::string::npos) return std::nullopt;
    const std::size_t end = FindPair(reply, wire::kEtx, wire::kEot, start + 2);
    if (end == std::string::npos) return std::nullopt;
    return CASFrameSpan{start, end + 2};
}

ByteVector CutCASFrame(const ByteVector& reply, const CASFrameSpan& span) {
    return ByteVector(reply.begin() + static_cast<std::ptrdiff_t>(span.begin),
                      reply.begin() + static_cast<std::ptrdiff_t>(span.end));
}

bool CASStatusOfWeightChannelResponseValidator(const ByteVector& reply) {
    LogTrace(kValidatorUnit, "CASStatusOfWeightChannelResponseValidator()");
    return FindPolledCASFrame(reply).has_value();
}

bool CASActiveStatusOfWeightChannelResponseValidator(const ByteVector& reply) {
    LogTrace(kValidatorUnit, "CASActiveStatusOfWeightChannelResponseValidator()");
    return FindStreamedCASFrame(reply).has_value();
}

CASFields ReadCASFields(const ByteVector& frame, ErrorCase& err) {
    if (frame.size() < kFieldsEnd) {
        LogError(kUnit, "ReadCASFields(), the frame of [@] bytes is too short", frame.size());
        err = ErrorCase::DeviceUnexpectedResponse;
        return {};
    }
    CASFields fields;
    fields.state = static_cast<char>(frame[kStateAt]);
    if (fields.state != 'S' && fields.state != 'U' && fields.state != 'F') {
        LogError(kUnit, "ReadCASFields(), unknown state byte [@]", static_cast<int>(frame[kStateAt]));
        err = ErrorCase::DeviceResponseIncorrectFormat;
        return {};
    }
    fields.stable = fields.state == 'S';
    if (frame[kSignAt] != ' ') fields.sign.push_back(static_cast<char>(frame[kSignAt]));
    fields.weight = TextAt(frame, kWeightAt, kWeightLength);
    const std::string unit = TextAt(frame, kUnitAt, 2);
    // Grams come right-aligned as " g".
    if (unit == "kg") {
        fields.unit = WeightUnit::Kilogram;
    } else if (unit == "lb") {
        fields.unit = WeightUnit::Pound;
    } else if (unit == " g") {
        fields.unit = WeightUnit::Gram;
    } else {
        LogError(kUnit, "ReadCASFields(), unknown unit [@]", unit);
        err = ErrorCase::DeviceResponseIncorrectFormat;
        return {};
    }
    return fields;
}

ScaleReading ReadCASReading(const ByteVector& frame, ErrorCase& err) {
    const CASFields fields = ReadCASFields(frame, err);
    if (err != ErrorCase::Correct) return {};
    const std::size_t first = fields.weight.find_first_not_of(' ');
    if (first == std::string::npos) {
        LogError(kUnit, "ParseCASFrame(), the weight field holds blanks only");
        err = ErrorCase::DeviceResponseIncorrectFormat;
        return {};
    }
    ScaleReading reading;
    reading.family = ProtocolFamily::Cas;
    reading.unit = fields.unit;
    reading.displayedWeight = fields.sign + fields.weight.substr(first);
    ScaleStatus status;
    status.stable = fields.stable;
    // The display shows "F" for a weight over the range.
    status.overload = fields.weight.find_first_of("Ff") != std::string::npos || fields.state == 'F';
    reading.status = status;
    return reading;
}

ResultMap ParseCASFrame(const ByteVector& frame, ErrorCase& err) {
    const ScaleReading reading = ReadCASReading(frame, err);
    if (err != ErrorCase::Correct) return {};
    return ParamTexts(reading);
}

}  // namespace driver
