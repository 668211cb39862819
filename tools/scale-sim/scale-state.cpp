#include "scale-state.h"

namespace scale_sim {

std::optional<RetailProtocol> ParseProtocol(std::string_view name) {
    if (name == "pos") return RetailProtocol::Pos;
    if (name == "cas") return RetailProtocol::Cas;
    if (name == "cas-active") return RetailProtocol::CasActive;
    if (name == "oka") return RetailProtocol::Oka;
    return std::nullopt;
}

std::string_view ProtocolName(RetailProtocol protocol) {
    switch (protocol) {
        case RetailProtocol::Pos:
            return "pos";
        case RetailProtocol::Cas:
            return "cas";
        case RetailProtocol::CasActive:
            return "cas-active";
        case RetailProtocol::Oka:
            return "oka";
    }
    return "?";
}

std::optional<Unit> ParseUnit(std::string_view name) {
    if (name == "kg") return Unit::Kg;
    if (name == "g") return Unit::G;
    if (name == "lb") return Unit::Lb;
    return std::nullopt;
}

std::string_view UnitName(Unit unit) {
    switch (unit) {
        case Unit::Kg:
            return "kg";
        case Unit::G:
            return "g";
        case Unit::Lb:
            return "lb";
    }
    return "?";
}

bool ScaleState::IsZero() const {
    switch (zero_mode) {
        case ZeroMode::On:
            return true;
        case ZeroMode::Off:
            return false;
        case ZeroMode::Auto:
            break;
    }
    return weight == 0;
}

void ScaleState::SetZero() {
    weight = 0;
    tare = 0;
}

void ScaleState::SetTare() {
    SpecifyTare(tare + weight);
}

void ScaleState::SpecifyTare(std::int32_t new_tare) {
    // The load on the platform stays, so the net weight moves by the change of tare.
    weight += tare - new_tare;
    tare = new_tare;
}

void ScaleState::SwitchProtocol(RetailProtocol p) {
    protocol = p;
    if (p == RetailProtocol::Pos) settings.Set("prov", "1");
    if (p == RetailProtocol::Cas) settings.Set("prov", "0");
}

void ScaleState::CountAnsweredRequest() {
    if (requests_until_stable > 0 && --requests_until_stable == 0) stable = true;
}

bool ScaleState::IsMuted(std::string_view service_request) const {
    return !muted_key.empty() && service_request.size() > 1 && service_request.substr(1).starts_with(muted_key);
}

std::string ScaleState::StatusLine() const {
    auto flag = [](bool b) { return b ? "1" : "0"; };
    std::string line;
    line += "protocol=" + std::string(ProtocolName(protocol));
    line += std::string(" pro=") + flag(pro);
    line += " weight=" + std::to_string(weight);
    line += " tare=" + std::to_string(tare);
    line += std::string(" stable=") + flag(stable);
    line += std::string(" zero=") + flag(IsZero());
    line += std::string(" overload=") + flag(overload);
    line += " unit=" + std::string(UnitName(unit));
    line += " prov=" + settings.Get("prov").value_or("");
    line += " cnt=" + settings.Get("cnt").value_or("");
    line += " interval=" + std::to_string(stream_interval_ms);
    return line;
}

}  // namespace scale_sim
