#include "protocols/pos/pos-command-executor.h"

#include "commands/byte-field-bounds.h"
#include "commands/wire-bytes.h"
#include "log/logging.h"
#include "protocols/pos/pos-validators.h"

namespace driver {

namespace {

constexpr std::string_view kUnit = "pos-command-executor";

// Little-endian unsigned bytes taken as a signed 32-bit number.
std::string LittleEndianText(const ByteVector& bytes) {
    std::uint32_t value = 0;
    const std::size_t length = bytes.size() < 4 ? bytes.size() : 4;
    for (std::size_t i = length; i-- > 0;) value = (value << 8) | bytes[i];
    return std::to_string(static_cast<std::int32_t>(value));
}

// XOR from the command character (offset 3) to the byte before the checksum slot.
void StoreChecksum(ByteVector& request) {
    if (request.size() < 5) return;
    std::uint8_t checksum = 0;
    for (std::size_t i = 3; i + 1 < request.size(); ++i) checksum ^= request[i];
    request.back() = checksum;
}

}  // namespace

bool POSCommandExecutor::CheckRequestFrame(const ByteVector& frame, ErrorCase& err) {
    const bool passes = frame.size() >= 3 && frame[0] == wire::kEnq && frame[1] == wire::kStx &&
                        frame.size() == std::size_t{frame[2]} + 4;
    if (!passes) err = ErrorCase::IncorrectArgumnts;
    return passes;
}

std::string POSCommandExecutor::ParseState(const ByteVector& state, ErrorCase& err) {
    if (state.size() != 2) {
        LogError(kUnit, "POSCommandExecutor::ParseState(), [@] state bytes instead of 2", state.size());
        err = ErrorCase::IncorrectArgumnts;
        return {};
    }
    std::string text(10, '0');
    for (int bit = 0; bit < 8; ++bit)
        if (state[0] & (1u << bit)) text[static_cast<std::size_t>(bit)] = '1';
    if (state[1] & 0x80) text[8] = '1';
    if (state[1] & 0x40) text[9] = '1';
    return text;
}

ByteVector POSCommandExecutor::MakeRequest(CommandContext& context, ErrorCase& err) {
    ByteVector request = ByteManExecutor::MakeRequest(context, err);
    if (err != ErrorCase::Correct) return {};
    // Only a frame that carries a value has its checksum computed here; the fixed frames carry theirs.
    if (!inputFields().empty()) StoreChecksum(request);
    return request;
}

ResultMap POSCommandExecutor::ParseResponse(CommandContext&, const ByteVector& received, ErrorCase& err) {
    // Fields count from the ACK of the frame the validator accepted, so stray bytes ahead of it
    // cannot shift the weight into a different number.
    const std::optional<std::size_t> start = outputFields().empty() ? std::nullopt : FindPOSFrameStart(received);
    const ByteVector reply =
        start ? ByteVector(received.begin() + static_cast<std::ptrdiff_t>(*start), received.end()) : received;
    if (reply.size() < 3 || !AllFieldsInside(outputFields(), reply.size())) {
        LogError(kUnit, "POSCommandExecutor::ParseResponse(), the answer of [@] bytes is too short", reply.size());
        err = ErrorCase::DeviceUnexpectedResponse;
        return {};
    }
    ResultMap result;
    for (const ByteField& field : outputFields()) {
        const ByteVector bytes = ExtractField(reply, field);
        if (field.type == ParamType::WeightState) {
            result[field.type] = ParseState(bytes, err);
            if (err != ErrorCase::Correct) return {};
        } else {
            result[field.type] = LittleEndianText(bytes);
        }
        result[ParamType::UnitOfMeasure] = "gr";
    }
    return result;
}

}  // namespace driver
