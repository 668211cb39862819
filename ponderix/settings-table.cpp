#include "settings-table.h"

#include <array>

#include "defines.h"

namespace ponderix {

namespace {

using C = driver::Command;
using P = driver::ParamType;

constexpr std::array<Setting, 20> kSettings{{
    {P::ScalesModel, C::GetScalesModel, C::SetScalesModel},
    {P::FirmwareVersion1, C::GetFirmwareVersion1, C::SetFirmwareVersion1},
    {P::FirmwareVersion2, C::GetFirmwareVersion2, std::nullopt},
    {P::ProtocolVersion, C::GetProtocolVersion, C::SetProtocolVersion},
    {P::SerialNumber, C::GetSerialNumber, C::SetSerialNumber},
    {P::MaxWeight, C::GetMaxWeight, C::SetMaxWeight},
    {P::Discret, C::GetDiscret, C::SetDiscret},
    {P::ValueOfAutoSetToZero, C::GetValueOfAutoSetToZero, C::SetValueOfAutoSetToZero},
    {P::TimeOfAutoSetToZero, C::GetTimeOfAutoSetToZero, C::SetTimeOfAutoSetToZero},
    {P::RangeOfAutoSetToZero, C::GetRangeOfAutoSetToZero, C::SetRangeOfAutoSetToZero},
    {P::RangeOfKeyToZero, C::GetRangeOfKeyToZero, C::SetRangeOfKeyToZero},
    {P::RangeOfTare, C::GetRangeOfTare, C::SetRangeOfTare},
    {P::RangeOfOverloads, C::GetRangeOfOverloads, C::SetRangeOfOverloads},
    {P::AutoOff, C::GetAutoOff, C::SetAutoOff},
    {P::LightLevel, C::GetLightLevel, C::SetLightLevel},
    {P::WeightCalibration, C::GetWeightCalibration, C::SetWeightCalibration},
    {P::ModeOfCalibration, C::GetModeOfCalibration, C::SetModeOfCalibration},
    {P::CountOfCalibration, C::GetCountOfCalibration, std::nullopt},
    {P::UnitOfMeasure, C::GetUnitOfMeasure, C::SetUnitOfMeasure},
    {P::PowerSavingMode, C::GetPowerSavingMode, C::SetPowerSavingMode},
}};

}  // namespace

std::span<const Setting> Settings() {
    return kSettings;
}

const Setting* FindSetting(std::int32_t param) {
    for (const Setting& setting : kSettings)
        if (static_cast<std::int32_t>(setting.param) == param) return &setting;
    return nullptr;
}

const Setting* FindSetting(std::string_view name) {
    for (const Setting& setting : kSettings)
        if (driver::ToString(setting.param) == name) return &setting;
    return nullptr;
}

}  // namespace ponderix
