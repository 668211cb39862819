#include "commands/byte-man-executor.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "commands/byte-field-bounds.h"
#include "commands/command-context.h"
#include "log/logging.h"

namespace driver {

namespace {

constexpr std::string_view kUnit = "byte-man-executor";
constexpr std::int32_t kValueBytes = 2;  // a field value is at most the two lowest bytes of the number

// Decimal text as the standard conversion reads it: leading blanks and a sign allowed, trailing text ignored.
std::optional<std::int64_t> ParseFieldValue(const std::string& text) {
    try {
        return std::stoll(text);
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    } catch (const std::out_of_range&) {
        return std::nullopt;
    }
}

// A value must fit the field's bytes unsigned, or the scale would get a different number than asked.
bool FitsField(std::int64_t value, const ByteField& field) {
    const std::int32_t bytes = std::clamp(field.length, 0, kValueBytes);
    return value >= 0 && value < (std::int64_t{1} << (8 * bytes));
}

}  // namespace

ByteManExecutor::ByteManExecutor(Command command, std::unique_ptr<ICommunicator> communicator,
                                 ByteVector requestTemplate, std::list<ByteField> inputFields,
                                 std::list<ByteField> outputFields, std::vector<ResponseValidator> validators)
    : CommandExecutorByCommunicator(command, std::move(communicator)),
      requestTemplate_(std::move(requestTemplate)),
      inputFields_(std::move(inputFields)),
      outputFields_(std::move(outputFields)),
      validators_(std::move(validators)) {}

ByteVector ByteManExecutor::MakeRequest(CommandContext& context, ErrorCase& err) {
    for (const ByteField& field : inputFields_) {
        const std::string value = context.GetInputParam(field.type, err);
        if (err != ErrorCase::Correct) return {};
        // A value that is no number is refused here, before anything is sent.
        const std::optional<std::int64_t> number = ParseFieldValue(value);
        if (!number || !FitsField(*number, field)) {
            err = ErrorCase::ParamValueUnsupported;
            LogError(kUnit, "ByteManExecutor::MakeRequest(), value [@] is not a number in range", value);
            return {};
        }
        PutField(requestTemplate_, value, field);
    }
    return requestTemplate_;
}

void ByteManExecutor::PutField(ByteVector& request, const std::string& value, const ByteField& field) {
    const std::optional<std::int64_t> number = ParseFieldValue(value);
    if (!number) return;
    const auto bits = static_cast<std::uint64_t>(*number);
    const std::int32_t count = std::min(field.length, kValueBytes);
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int64_t position = static_cast<std::int64_t>(field.offset) + i;
        if (position < 0 || position >= static_cast<std::int64_t>(request.size())) continue;
        request[static_cast<std::size_t>(position)] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
}

bool ByteManExecutor::OutputFieldsInside(const ByteVector& reply) const {
    return AllFieldsInside(outputFields_, reply.size());
}

ByteVector ByteManExecutor::ExtractField(const ByteVector& reply, const ByteField& field) {
    if (!FieldInside(field, reply.size())) return {};
    const auto first = reply.begin() + field.offset;
    return ByteVector(first, first + field.length);
}

std::string ByteManExecutor::GetStringManipulation(const ByteVector& reply, const ByteField& field) {
    return ToText(ExtractField(reply, field));
}

ResultMap ByteManExecutor::ParseResponse(CommandContext&, const ByteVector& reply, ErrorCase& err) {
    if (!OutputFieldsInside(reply)) {
        err = ErrorCase::DeviceUnexpectedResponse;
        LogError(kUnit, "ByteManExecutor::ParseResponse(), reply of @ bytes is too short for its fields", reply.size());
        return {};
    }
    ResultMap result;
    for (const ByteField& field : outputFields_) result[field.type] = GetStringManipulation(reply, field);
    return result;
}

}  // namespace driver
