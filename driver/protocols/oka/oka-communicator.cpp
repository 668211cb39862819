#include "protocols/oka/oka-communicator.h"

#include <algorithm>

#include "log/byte-list-log.h"
#include "log/logging.h"
#include "protocols/oka/oka-digits.h"

namespace driver {

namespace {

constexpr std::size_t kWeightDigits = 6;
constexpr std::size_t kSumDigits = 7;
constexpr std::size_t kFlagAt = 11;
constexpr std::size_t kWeightAnswerSize = 24;
constexpr std::size_t kSumAnswerSize = 18;

// The weight answer has arrived when its bytes 6 to 10 are all zero.
bool WeightAnswerComplete(const ByteVector& reply) {
    return reply.size() >= kWeightAnswerSize &&
           std::all_of(reply.begin() + 6, reply.begin() + 11, [](std::uint8_t b) { return b == 0; });
}

bool SumAnswerComplete(const ByteVector& reply) {
    return reply.size() >= kSumAnswerSize;
}

void TraceBytes(std::string_view title, const ByteVector& bytes) {
    if (TraceEnabled()) TraceBare(ByteListText(title, bytes));
}

}  // namespace

ByteVector OKACommunicator::Communicate(CommandContext& context, const ByteVector&, ErrorCase& err, ResponseValidator) {
    LogTrace("oka-communicator", "OKACommunicator::Communicate(boost)");
    ByteVector result = ReadWeightAndFlag(context, err);
    if (err != ErrorCase::Correct) return {};
    const ByteVector sum = ReadWeightPlusTare(context, err);
    if (err != ErrorCase::Correct) return {};

    const ByteVector weight(result.begin(), result.begin() + kWeightDigits);
    const ByteVector tare = WeightPlusTare(weight, sum, err);
    if (err != ErrorCase::Correct) return {};
    TraceBytes("Getting tare: ", tare);
    result.insert(result.end(), tare.begin(), tare.end());
    return result;
}

// Six weight digits (most significant first) and the flag byte.
ByteVector OKACommunicator::ReadWeightAndFlag(CommandContext& context, ErrorCase& err) {
    ByteVector answer =
        Exchange(context, ByteVector{0x02, 0x09, 0x09, 0x09, 0x09, 0x09, 0x09}, err, WeightAnswerComplete);
    TraceBytes("All recieved bytes on command 02 999999: ", answer);
    if (err != ErrorCase::Correct) return {};
    if (answer.size() < kWeightAnswerSize) {  // the completeness test already holds this
        err = ErrorCase::DeviceUnexpectedResponse;
        return {};
    }
    const std::uint8_t flag = answer[kFlagAt];
    answer[kWeightDigits] = flag;
    answer.resize(kWeightDigits + 1);
    // These flags mark a weight that is not to be shown.
    if (flag == 0x40 || flag == 0xC0) {
        TraceBare("Flag is 0x40 or 0xC0 ");
        std::fill(answer.begin(), answer.begin() + kWeightDigits, 0);
    }
    std::reverse(answer.begin(), answer.begin() + kWeightDigits);
    TraceBytes("Getting weight and flags: ", answer);
    return answer;
}

// Seven digits of weight plus tare, most significant first.
ByteVector OKACommunicator::ReadWeightPlusTare(CommandContext& context, ErrorCase& err) {
    ByteVector answer = Exchange(context, ByteVector{0x06}, err, SumAnswerComplete);
    TraceBytes("All recieved bytes on command 06: ", answer);
    if (err != ErrorCase::Correct) return {};
    if (answer.size() < kSumAnswerSize) {
        err = ErrorCase::DeviceUnexpectedResponse;
        return {};
    }
    answer.resize(kSumDigits);
    std::reverse(answer.begin(), answer.end());
    TraceBytes("Getting weight + tare sum: ", answer);
    return answer;
}

}  // namespace driver
