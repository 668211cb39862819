#include "protocols/pos/pos-command-executor.h"

#include "commands/byte-field-bounds.h"
#include "commands/wire-bytes.h"
#include "log/logging.h"
#include "protocols/pos/pos-status.h"
#include "protocols/pos/pos-validators.h"

namespace driver {

namespace {

constexpr std::string_view kUnit = "pos-command-executor";

// Little-endian unsigned bytes taken as a signed 32-bit number.
std::int32_t LittleEndianNumber(const ByteVector& bytes) {
    std::uint32_t value = 0;
    const std::size_t length = bytes.size() < 4 ? bytes.size() : 4;
    for (std::size_t i = length; i-- > 0;) value = (value << 8) | bytes[i];
    return static_cast<std::int32_t>(value);
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

std::optional<ScaleStatus> POSCommandExecutor::ReadState(const ByteVector& state, ErrorCase& err) {
    if (state.size() != 2) {
        LogError(kUnit, "POSCommandExecutor::ParseState(), [@] state bytes instead of 2", state.size());
        err = ErrorCase::IncorrectArgumnts;
        return std::nullopt;
    }
    std::uint16_t bits = state[0];
    if (state[1] & 0x80) bits |= 1u << 8;
    if (state[1] & 0x40) bits |= 1u << 9;
    return PosStatus(bits);
}

std::string POSCommandExecutor::ParseState(const ByteVector& state, ErrorCase& err) {
    const std::optional<ScaleStatus> status = ReadState(state, err);
    return status ? PosStateText(*status) : std::string();
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
    ScaleReading reading;
    reading.family = ProtocolFamily::Pos;
    for (const ByteField& field : outputFields()) {
        const ByteVector bytes = ExtractField(reply, field);
        if (field.type == ParamType::WeightState) {
            reading.status = ReadState(bytes, err);
            if (err != ErrorCase::Correct) return {};
        } else if (field.type == ParamType::Weight) {
            reading.weight = LittleEndianNumber(bytes);
        } else if (field.type == ParamType::Tare) {
            reading.tare = LittleEndianNumber(bytes);
        }
    }
    return ParamTexts(reading);
}

}  // namespace driver
