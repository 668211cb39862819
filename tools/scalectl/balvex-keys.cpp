#include "balvex-keys.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace scalectl {

namespace {

using driver::Command;
using driver::ParamType;

const std::array<BalvexKey, 23> kKeys = {{
    {"mode", ParamType::ScalesModel, Command::GetScalesModel, Command::SetScalesModel, ValueKind::Text},
    {"ver1", ParamType::FirmwareVersion1, Command::GetFirmwareVersion1, Command::SetFirmwareVersion1, ValueKind::Text},
    {"ver2", ParamType::FirmwareVersion2, Command::GetFirmwareVersion2, std::nullopt, ValueKind::Text},
    {"prov", ParamType::ProtocolVersion, Command::GetProtocolVersion, Command::SetProtocolVersion, ValueKind::Text},
    {"sern", ParamType::SerialNumber, Command::GetSerialNumber, Command::SetSerialNumber, ValueKind::Text},
    {"max", ParamType::MaxWeight, Command::GetMaxWeight, Command::SetMaxWeight, ValueKind::Number},
    {"div", ParamType::Discret, Command::GetDiscret, Command::SetDiscret, ValueKind::Number},
    {"azr", ParamType::ValueOfAutoSetToZero, Command::GetValueOfAutoSetToZero, Command::SetValueOfAutoSetToZero,
     ValueKind::Number},
    {"azt", ParamType::TimeOfAutoSetToZero, Command::GetTimeOfAutoSetToZero, Command::SetTimeOfAutoSetToZero,
     ValueKind::Number},
    {"pzr", ParamType::RangeOfAutoSetToZero, Command::GetRangeOfAutoSetToZero, Command::SetRangeOfAutoSetToZero,
     ValueKind::Number},
    {"kzr", ParamType::RangeOfKeyToZero, Command::GetRangeOfKeyToZero, Command::SetRangeOfKeyToZero, ValueKind::Number},
    {"ktr", ParamType::RangeOfTare, Command::GetRangeOfTare, Command::SetRangeOfTare, ValueKind::Number},
    {"ovr", ParamType::RangeOfOverloads, Command::GetRangeOfOverloads, Command::SetRangeOfOverloads, ValueKind::Number},
    {"off", ParamType::AutoOff, Command::GetAutoOff, Command::SetAutoOff, ValueKind::Number},
    {"bkl", ParamType::LightLevel, Command::GetLightLevel, Command::SetLightLevel, ValueKind::Number},
    {"cal", ParamType::WeightCalibration, Command::GetWeightCalibration, Command::SetWeightCalibration,
     ValueKind::Number},
    {"cnt", ParamType::CountOfCalibration, Command::GetCountOfCalibration, Command::SetCountOfCalibration,
     ValueKind::None},
    {"modc", ParamType::ModeOfCalibration, Command::GetModeOfCalibration, Command::SetModeOfCalibration,
     ValueKind::Number},
    {"u2en", ParamType::UnitOfMeasure, Command::GetUnitOfMeasure, Command::SetUnitOfMeasure, ValueKind::Number},
    {"u3en", ParamType::UnitOfMeasure, Command::GetUnitOfMeasure2, Command::SetUnitOfMeasure2, ValueKind::Number},
    {"sav", ParamType::PowerSavingMode, Command::GetPowerSavingMode, Command::SetPowerSavingMode, ValueKind::Number},
    {"cell1", ParamType::Cell, std::nullopt, Command::SetCell1, ValueKind::Number},
    {"cell2", ParamType::Cell, std::nullopt, Command::SetCell2, ValueKind::Number},
}};

}  // namespace

std::span<const BalvexKey> BalvexKeys() {
    return kKeys;
}

const BalvexKey* FindBalvexKey(std::string_view key) {
    auto found = std::find_if(kKeys.begin(), kKeys.end(), [&](const BalvexKey& k) { return k.key == key; });
    return found == kKeys.end() ? nullptr : &*found;
}

std::vector<std::string> ReadableKeys() {
    std::vector<std::string> keys;
    for (const auto& k : kKeys) {
        if (k.get) keys.emplace_back(k.key);
    }
    return keys;
}

std::vector<std::string> WritableKeys() {
    std::vector<std::string> keys;
    for (const auto& k : kKeys) {
        if (k.set) keys.emplace_back(k.key);
    }
    return keys;
}

bool IsUnsigned(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsNumber(std::string_view text) {
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    const auto point = text.find('.');
    if (point == std::string_view::npos) return IsUnsigned(text);
    return IsUnsigned(text.substr(0, point)) && IsUnsigned(text.substr(point + 1));
}

}  // namespace scalectl
