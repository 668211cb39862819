#include "typed-reading.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace ponderix {

namespace {

using driver::ErrorCase;
using driver::ParamType;
using driver::ProtocolFamily;

// Grams as the retail protocols send them; a CAS scale's text shows its own division.
int DecimalsOf(ProtocolFamily family, driver::WeightUnit unit, const std::string& weightText) {
    if (family != ProtocolFamily::Cas) return 3;
    const auto point = weightText.find('.');
    const int shown = point == std::string::npos ? 0 : static_cast<int>(weightText.size() - point - 1);
    const int unitDefault = unit == driver::WeightUnit::Gram ? 0 : 3;
    return std::clamp(std::max(shown, unitDefault), 0, 6);
}

std::int64_t Scaled(double value, int decimals) {
    return std::llround(value * std::pow(10.0, decimals));
}

}  // namespace

ErrorCase ReadWeight(Scale& scale, pdx_reading& out) {
    driver::Device& device = scale.device;
    ErrorCase ecase = ErrorCase::Correct;
    const ProtocolFamily family = driver::FamilyOf(device.GetProtocol(ecase));
    if (family == ProtocolFamily::None) return device.IsOpen(ecase) ? ErrorCase::CommandUnsupported
                                                                     : ErrorCase::ConnectionError;
    device.ExecuteCommand(driver::Command::StatusOfWeightChannel, ecase);
    driver::ReadingTexts texts;
    const auto text = [&](ParamType param) {
        return ecase == ErrorCase::Correct ? device.GetParam(param, ecase) : std::string();
    };
    texts.weight = text(ParamType::Weight);
    texts.state = text(ParamType::WeightState);
    if (family != ProtocolFamily::Cas) texts.tare = text(ParamType::Tare);
    if (family != ProtocolFamily::Pos) texts.unit = text(ParamType::UnitOfMeasure);
    if (ecase != ErrorCase::Correct) return ecase;

    driver::Reading& reading = scale.reading;
    driver::Decode(family, texts, scale.maxWeightKg, reading);
    const int decimals = DecimalsOf(family, reading.unit, texts.weight);
    out.net = Scaled(reading.weight, decimals);
    out.has_tare = reading.tare.has_value() ? 1 : 0;
    out.tare = reading.tare ? Scaled(*reading.tare, decimals) : 0;
    out.decimals = decimals;
    out.unit = static_cast<std::int32_t>(reading.unit);
    out.stable = reading.stable ? 1 : 0;
    out.zero = reading.zero ? 1 : 0;
    out.overload = reading.overload ? 1 : 0;
    return ErrorCase::Correct;
}

std::optional<double> MaxWeightKg(driver::Device& device) {
    ErrorCase ecase = ErrorCase::Correct;
    const std::optional<driver::Protocol> protocol = driver::ProtocolFromName(device.GetProtocol(ecase));
    if (!protocol || !driver::IsPro(*protocol)) return std::nullopt;
    device.ExecuteCommand(driver::Command::GetMaxWeight, ecase);
    const std::string text = ecase == ErrorCase::Correct ? device.GetParam(ParamType::MaxWeight, ecase) : "";
    if (ecase != ErrorCase::Correct) return std::nullopt;
    try {
        return std::stod(text);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace ponderix
