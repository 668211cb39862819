#include "commands/protocol-table.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <string_view>
#include <vector>

namespace driver {

namespace {

using C = Command;

struct Mapping {
    Command status;
    Command zero;
    Command tare;
    Command specifyTare;
};

constexpr std::int32_t Number(Command c) {
    return static_cast<std::int32_t>(c);
}

// Which commands each protocol accepts, as closed ranges and single numbers.
struct Acceptance {
    std::int32_t firstOfRange;
    std::int32_t lastOfRange;
    std::vector<Command> extra;
};

const std::map<std::string_view, Mapping>& Mappings() {
    static const std::map<std::string_view, Mapping> table{
        {"POS2K", {C::POSStatusOfWeightChannel, C::POSSetZero, C::POSSetTare, C::SpecifyTare}},
        {"POS2KProV1", {C::POSStatusOfWeightChannel, C::POSSetZero, C::POSSetTare, C::POSSpecifyTare}},
        {"CAS-K", {C::CASStatusOfWeightChannel, C::CASSetZero, C::CASSetTare, C::SpecifyTare}},
        {"CAS-K ProV1", {C::CASStatusOfWeightChannel, C::CASSetZero, C::CASSetTare, C::SpecifyTare}},
        {"CAS-K-Active", {C::CASActiveStatusOfWeightChannel, C::SetZero, C::SetTare, C::SpecifyTare}},
        {"OKA", {C::OKAStatusOfWeightChannel, C::OKASetZero, C::SetTare, C::OKASpecifyTare}},
    };
    return table;
}

const std::map<std::string_view, Acceptance>& Acceptances() {
    static const std::map<std::string_view, Acceptance> table{
        {"POS2K", {49, 50, {C::POSStatusOfWeightChannel, C::POSSetZero, C::POSSetTare}}},
        {"POS2KProV1", {0, 50, {C::POSStatusOfWeightChannel, C::POSSetZero, C::POSSetTare, C::POSSpecifyTare}}},
        {"CAS-K", {49, 50, {C::CASStatusOfWeightChannel, C::CASSetZero, C::CASSetTare}}},
        {"CAS-K ProV1", {0, 50, {C::CASStatusOfWeightChannel, C::CASSetZero, C::CASSetTare}}},
        {"CAS-K-Active", {49, 50, {C::CASActiveStatusOfWeightChannel}}},
        {"OKA", {1, 50, {C::OKASetZero, C::OKAStatusOfWeightChannel, C::OKASpecifyTare}}},
        {"auto", {0, 65, {}}},
    };
    return table;
}

std::string_view FirstDigitRun(std::string_view text) {
    auto isDigit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    auto begin = std::find_if(text.begin(), text.end(), isDigit);
    auto end = std::find_if_not(begin, text.end(), isDigit);
    return text.substr(begin - text.begin(), end - begin);
}

}  // namespace

bool IsProProtocol(const std::string& protocol) {
    return protocol.find("Pro") != std::string::npos;
}

Command MapCommand(const std::string& protocol, Command command) {
    auto found = Mappings().find(protocol);
    if (found == Mappings().end()) return command;
    const Mapping& m = found->second;
    switch (command) {
        case C::StatusOfWeightChannel:
            return m.status;
        case C::SetZero:
            return m.zero;
        case C::SetTare:
            return m.tare;
        case C::SpecifyTare:
            return m.specifyTare;
        default:
            return command;
    }
}

bool IsCommandAccepted(const std::string& protocol, Command command) {
    auto found = Acceptances().find(protocol);
    if (found == Acceptances().end()) return false;
    const Acceptance& a = found->second;
    const std::int32_t number = Number(command);
    if (number >= a.firstOfRange && number <= a.lastOfRange) return true;
    return std::find(a.extra.begin(), a.extra.end(), command) != a.extra.end();
}

bool ModelsMatch(const std::string& configuredModel, const std::string& scaleModel) {
    return configuredModel == "auto" || FirstDigitRun(configuredModel) == FirstDigitRun(scaleModel);
}

}  // namespace driver
