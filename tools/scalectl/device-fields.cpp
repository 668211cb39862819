#include "device-fields.h"

#include <array>
#include <charconv>
#include <utility>

#include "balvex-keys.h"
#include "ctl-error.h"

namespace scalectl {

namespace {

using Field = driver::LogicDeviceParamType;

constexpr std::array<std::string_view, 7> kProtocols = {"auto",        "POS2K",        "POS2KProV1", "CAS-K",
                                                        "CAS-K ProV1", "CAS-K-Active", "OKA"};

constexpr std::array<std::pair<std::string_view, Field>, 10> kFieldNames = {{
    {"name", Field::Name},
    {"connection-type", Field::ConnectionType},
    {"type", Field::ConnectionType},
    {"end-point", Field::EndPoint},
    {"port", Field::EndPoint},
    {"baud-rate", Field::BaudRate},
    {"baud", Field::BaudRate},
    {"model", Field::Model},
    {"protocol", Field::Protocol},
    {"is-current", Field::IsCurrent},
}};

bool IsProtocol(std::string_view text) {
    for (auto name : kProtocols) {
        if (name == text) return true;
    }
    return false;
}

std::string Join(std::span<const std::string_view> names) {
    std::string out;
    for (auto name : names) {
        if (!out.empty()) out += ", ";
        out += name;
    }
    return out;
}

}  // namespace

std::span<const std::string_view> ProtocolNames() {
    return kProtocols;
}

std::optional<Field> FieldByName(std::string_view name) {
    for (const auto& [text, field] : kFieldNames) {
        // The current mark is changed with "device use" only, so both marks never disagree.
        if (text == name && field != Field::IsCurrent) return field;
    }
    return std::nullopt;
}

std::string FieldNames() {
    std::string out;
    for (const auto& [text, field] : kFieldNames) {
        if (field == Field::IsCurrent) continue;
        if (!out.empty()) out += ", ";
        out += text;
    }
    return out;
}

std::string_view FieldKey(Field field) {
    switch (field) {
        case Field::IsCurrent:
            return "is-current";
        case Field::ID:
            return "id";
        case Field::Name:
            return "name";
        case Field::ConnectionType:
            return "connection-type";
        case Field::EndPoint:
            return "end-point";
        case Field::BaudRate:
            return "baud-rate";
        case Field::Model:
            return "model";
        case Field::Protocol:
            return "protocol";
    }
    return "?";
}

std::string CheckedFieldValue(Field field, std::string_view value) {
    const std::string key(FieldKey(field));
    switch (field) {
        case Field::ConnectionType:
            if (value == kSerialPort || value == "serial") return std::string(kSerialPort);
            if (value == kTcp || value == "tcp") return std::string(kTcp);
            throw UsageError(key + " must be \"Serial Port\" (serial) or \"TCP\" (tcp), not \"" + std::string(value) +
                             "\"");
        case Field::BaudRate:
            if (!IsUnsigned(value) || value.find_first_not_of('0') == std::string_view::npos) {
                throw UsageError(key + " must be a positive whole number, not \"" + std::string(value) + "\"");
            }
            return std::string(value);
        case Field::Protocol:
            if (!IsProtocol(value)) {
                throw UsageError("unknown protocol \"" + std::string(value) + "\" (one of: " + Join(kProtocols) + ")");
            }
            return std::string(value);
        case Field::EndPoint:
        case Field::Model:
            if (value.empty()) throw UsageError(key + " must not be empty");
            return std::string(value);
        default:
            return std::string(value);
    }
}

bool IsTcpEndPoint(std::string_view text) {
    const auto colon = text.rfind(':');
    if (colon == std::string_view::npos) return !text.empty();
    if (colon == 0) return false;
    const auto port = text.substr(colon + 1);
    unsigned number = 0;
    auto [ptr, ec] = std::from_chars(port.data(), port.data() + port.size(), number);
    return IsUnsigned(port) && ec == std::errc{} && ptr == port.data() + port.size() && number >= 1 && number <= 65535;
}

}  // namespace scalectl
