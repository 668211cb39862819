#include "protocols/oka/oka-command-executor.h"

#include <algorithm>

#include "commands/byte-field-bounds.h"
#include "commands/command-context.h"
#include "log/byte-list-log.h"
#include "log/logging.h"
#include "protocols/oka/oka-digits.h"

namespace driver {

namespace {

constexpr std::string_view kUnit = "oka-command-executor";

bool IsDecimalText(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string HexText(const ByteVector& bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text = "0x";
    for (std::uint8_t byte : bytes) {
        text += kHex[byte >> 4];
        text += kHex[byte & 0x0F];
    }
    return text;
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

std::string OKACommandExecutor::GetStringManipulation(const ByteVector& reply, const ByteField& field) {
    const ByteVector bytes = ExtractField(reply, field);  // empty when the field lies outside the reply
    if (TraceEnabled()) {
        TraceBare("OKACommandExecutor::GetStringManipulation()");
        TraceBare(ByteListText("Bytes after manipulation: ", bytes));
    }
    if (field.type == ParamType::WeightState) return HexText(bytes);
    return DigitsToNumberText(bytes);
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
    ResultMap result;
    for (const ByteField& field : outputFields()) {
        std::string text = GetStringManipulation(reply, field);
        if (text.empty() && field.type != ParamType::WeightState) {
            LogError(kUnit, "OKACommandExecutor::ParseResponse(), the digits of [@] form no number",
                     static_cast<int>(field.type));
            err = ErrorCase::DeviceResponseIncorrectFormat;
            return {};
        }
        result[field.type] = std::move(text);
    }
    result[ParamType::UnitOfMeasure] = "kg";
    // Every reading reports these three, empty when the command had no such field.
    const std::string& weight = result[ParamType::Weight];
    const std::string& flag = result[ParamType::WeightState];
    const std::string& tare = result[ParamType::Tare];
    if (TraceEnabled()) TraceBare("Weight: " + weight + "\nFlag: " + flag + "\nTare: " + tare + "\n");
    return result;
}

}  // namespace driver
