#include "protocols/oka/oka-command-executor.h"

#include <algorithm>

#include "commands/byte-field-bounds.h"
#include "commands/command-context.h"
#include "log/byte-list-log.h"
#include "log/logging.h"
#include "protocols/oka/oka-digits.h"
#include "protocols/oka/oka-status.h"

namespace driver {

namespace {

constexpr std::string_view kUnit = "oka-command-executor";

bool IsDecimalText(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

ByteVector OKACommandExecutor::MakeRequest(CommandContext& context, ErrorCase& err) {
    TraceBare("OKACommandExecutor::MakeRequest()");
    if (command() != Command::OKASpecifyTare) return ByteManExecutor::MakeRequest(context, err);

    ByteVector request = requestTemplate();
    for (const ByteField& field : inputFields()) {
        const std::string text = context.GetInputParam(field.type, err);
        if (err != ErrorCase::Correct) return {};
        if (TraceEnabled()) TraceBare("OKACommandExecutor::MakeRequest(): param: " + text);
        if (!IsDecimalText(text) || text.size() > static_cast<std::size_t>(std::max(field.length, 0))) {
            LogError(kUnit, "OKACommandExecutor::MakeRequest(), value [@] is not a decimal number of the field's size",
                     text);
            err = ErrorCase::ParamValueUnsupported;
            return {};
        }
        const std::string reversed(text.rbegin(), text.rend());
        if (TraceEnabled()) TraceBare("OKACommandExecutor::MakeRequest(): param: " + reversed);

        // Least significant digit first.
        ByteVector digits;
        digits.reserve(reversed.size());
        for (char c : reversed) digits.push_back(static_cast<std::uint8_t>(c - '0'));
        const auto offset = std::min(static_cast<std::size_t>(std::max(field.offset, 0)), request.size());
        request.insert(request.begin() + static_cast<std::ptrdiff_t>(offset), digits.begin(), digits.end());
        request.resize(offset + static_cast<std::size_t>(std::max(field.length, 0)), 0);
    }
    if (TraceEnabled()) TraceBare(ByteListText("OKA TARE REQUEST: ", request));
    return request;
}

ByteVector OKACommandExecutor::TracedField(const ByteVector& reply, const ByteField& field) {
    ByteVector bytes = ExtractField(reply, field);  // empty when the field lies outside the reply
    if (TraceEnabled()) {
        TraceBare("OKACommandExecutor::GetStringManipulation()");
        TraceBare(ByteListText("Bytes after manipulation: ", bytes));
    }
    return bytes;
}

ResultMap OKACommandExecutor::ParseResponse(CommandContext&, const ByteVector& reply, ErrorCase& err) {
    if (TraceEnabled()) {
        TraceBare("OKACommandExecutor::ParseResponse()");
        TraceBare(ByteListText("Response: ", reply));
    }
    if (!AllFieldsInside(outputFields(), reply.size())) {
        LogError(kUnit, "OKACommandExecutor::ParseResponse(), the answer of [@] bytes is too short", reply.size());
        err = ErrorCase::DeviceUnexpectedResponse;
        return {};
    }
    ScaleReading reading;
    reading.family = ProtocolFamily::Oka;
    for (const ByteField& field : outputFields()) {
        const ByteVector bytes = TracedField(reply, field);
        if (field.type == ParamType::WeightState) {
            if (!bytes.empty()) reading.status = OkaStatus(bytes.front());
            continue;
        }
        const std::optional<std::uint64_t> number = DigitsToNumber(bytes);
        if (!number) {
            LogError(kUnit, "OKACommandExecutor::ParseResponse(), the digits of [@] form no number",
                     static_cast<int>(field.type));
            err = ErrorCase::DeviceResponseIncorrectFormat;
            return {};
        }
        (field.type == ParamType::Weight ? reading.weight : reading.tare) = static_cast<std::int64_t>(*number);
    }
    ResultMap result = ParamTexts(reading);
    if (TraceEnabled()) {
        TraceBare("Weight: " + result[ParamType::Weight] + "\nFlag: " + result[ParamType::WeightState] +
                  "\nTare: " + result[ParamType::Tare] + "\n");
    }
    return result;
}

}  // namespace driver
