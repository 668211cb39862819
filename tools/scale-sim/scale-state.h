#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings.h"

namespace scale_sim {

enum class RetailProtocol { Pos, Cas, CasActive, Oka };
enum class Unit { Kg, G, Lb };
enum class ZeroMode { Auto, Off, On };

std::optional<RetailProtocol> ParseProtocol(std::string_view name);
std::string_view ProtocolName(RetailProtocol protocol);
std::optional<Unit> ParseUnit(std::string_view name);
std::string_view UnitName(Unit unit);

// Everything one simulated scale knows. Weight and tare are in grams, the weight being the
// net weight (gross minus tare) that the retail protocols carry.
struct ScaleState {
    std::int32_t weight = 0;
    std::int32_t tare = 0;
    bool stable = true;
    // While above 0, the scale is unstable and settles once it has answered this many requests.
    int requests_until_stable = 0;
    // Service requests for this key go unanswered (empty: none), as a scale missing the setting.
    std::string muted_key;
    ZeroMode zero_mode = ZeroMode::Auto;
    bool overload = false;
    Unit unit = Unit::Kg;
    RetailProtocol protocol = RetailProtocol::Pos;
    bool pro = true;  // answers the service protocol
    int stream_interval_ms = 100;
    Settings settings;

    // Zero mark: follows the net weight unless the control forced it.
    bool IsZero() const;

    // The effects of the scale's keys as the host triggers them.
    void SetZero();
    void SetTare();
    void SpecifyTare(std::int32_t new_tare);

    // Changes the retail protocol; POS and CAS also move the "prov" setting (1 POS, 0 CAS),
    // the same switch a host makes with "Sprov".
    void SwitchProtocol(RetailProtocol p);

    // Called for every request the scale answers.
    void CountAnsweredRequest();
    bool IsMuted(std::string_view service_request) const;

    std::string StatusLine() const;
};

}  // namespace scale_sim
