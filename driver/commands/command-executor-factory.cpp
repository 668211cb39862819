#include <map>
#include <optional>

#include "commands/command-executor.h"
#include "commands/retail-executors.h"
#include "protocols/auto/get-protocol-version-auto-executable.h"
#include "protocols/auto/get-protocol-version-executor.h"
#include "protocols/auto/status-of-weight-channel-auto-executor.h"
#include "protocols/balvex/balvex-command-executor.h"
#include "protocols/balvex/balvex-command-model-executor.h"
#include "protocols/balvex/bvx-communicator.h"
#include "protocols/pos/pos-wait-until-scale-stabilizes-communicator.h"

namespace driver {

namespace {

// One command of the Balvex service protocol.
struct BalvexRow {
    const char* request;
    std::optional<ParamType> input;
    const char* response;
    std::optional<ParamType> output;
};

const std::map<Command, BalvexRow>& BalvexTable() {
    using C = Command;
    using P = ParamType;
    static const std::map<Command, BalvexRow> table = {
        {C::SetScalesModel, {"Smode@\r\n", P::ScalesModel, "", {}}},
        {C::GetScalesModel, {"Gmode\r\n", {}, "mode=@\r\n", P::ScalesModel}},
        {C::SetFirmwareVersion1, {"Sver1@\r\n", P::FirmwareVersion1, "", {}}},
        {C::GetFirmwareVersion1, {"Gver1\r\n", {}, "ver1=@\r\n", P::FirmwareVersion1}},
        {C::GetFirmwareVersion2, {"Gver2\r\n", {}, "ver2=@\r\n", P::FirmwareVersion2}},
        {C::SetProtocolVersion, {"Sprov@\r\n", P::ProtocolVersion, "", {}}},
        {C::GetProtocolVersion, {"Gprov\r\n", {}, "prov=@\r\n", P::ProtocolVersion}},
        {C::SetSerialNumber, {"Ssern@\r\n", P::SerialNumber, "", {}}},
        {C::GetSerialNumber, {"Gsern\r\n", {}, "sern=@\r\n", P::SerialNumber}},
        {C::SetMaxWeight, {"Smax@\r\n", P::MaxWeight, "", {}}},
        {C::GetMaxWeight, {"Gmax\r\n", {}, "max=@\r\n", P::MaxWeight}},
        {C::SetDiscret, {"Sdiv@\r\n", P::Discret, "", {}}},
        {C::GetDiscret, {"Gdiv\r\n", {}, "div=@\r\n", P::Discret}},
        {C::SetValueOfAutoSetToZero, {"Sazr@\r\n", P::ValueOfAutoSetToZero, "", {}}},
        {C::GetValueOfAutoSetToZero, {"Gazr\r\n", {}, "azr=@\r\n", P::ValueOfAutoSetToZero}},
        {C::SetTimeOfAutoSetToZero, {"Sazt@\r\n", P::TimeOfAutoSetToZero, "", {}}},
        {C::GetTimeOfAutoSetToZero, {"Gazt\r\n", {}, "azt=@\r\n", P::TimeOfAutoSetToZero}},
        {C::SetRangeOfAutoSetToZero, {"Spzr@\r\n", P::RangeOfAutoSetToZero, "", {}}},
        {C::GetRangeOfAutoSetToZero, {"Gpzr\r\n", {}, "pzr=@\r\n", P::RangeOfAutoSetToZero}},
        {C::SetRangeOfKeyToZero, {"Skzr@\r\n", P::RangeOfKeyToZero, "", {}}},
        {C::GetRangeOfKeyToZero, {"Gkzr\r\n", {}, "kzr=@\r\n", P::RangeOfKeyToZero}},
        {C::SetRangeOfTare, {"Sktr@\r\n", P::RangeOfTare, "", {}}},
        {C::GetRangeOfTare, {"Gktr\r\n", {}, "ktr=@\r\n", P::RangeOfTare}},
        {C::SetRangeOfOverloads, {"Sovr@\r\n", P::RangeOfOverloads, "", {}}},
        {C::GetRangeOfOverloads, {"Govr\r\n", {}, "ovr=@\r\n", P::RangeOfOverloads}},
        {C::SetAutoOff, {"Soff@\r\n", P::AutoOff, "", {}}},
        {C::GetAutoOff, {"Goff\r\n", {}, "off=@\r\n", P::AutoOff}},
        {C::SetLightLevel, {"Sbkl@\r\n", P::LightLevel, "", {}}},
        {C::GetLightLevel, {"Gbkl\r\n", {}, "bkl=@\r\n", P::LightLevel}},
        {C::SetWeightCalibration, {"Scal@\r\n", P::WeightCalibration, "", {}}},
        {C::GetWeightCalibration, {"Gcal\r\n", {}, "cal=@\r\n", P::WeightCalibration}},
        {C::ZeroScaleCalibration, {"Szcal\r\n", {}, "", {}}},
        {C::WeightScaleCalibration, {"Swcal\r\n", {}, "", {}}},
        {C::SetWeightScaleCalibrationParameters, {"Swcal@\r\n", P::WeightScaleCalibrationParameters, "", {}}},
        {C::Reboot, {"Srst\r\n", {}, "", {}}},
        // The scale counts calibrations itself: the request carries no value.
        {C::SetCountOfCalibration, {"Scnt\r\n", {}, "", {}}},
        {C::GetCountOfCalibration, {"Gcnt\r\n", {}, "cnt=@\r\n", P::CountOfCalibration}},
        {C::SetModeOfCalibration, {"Smodc@\r\n", P::ModeOfCalibration, "", {}}},
        {C::GetModeOfCalibration, {"Gmodc\r\n", {}, "modc=@\r\n", P::ModeOfCalibration}},
        {C::SetUnitOfMeasure, {"Su2en@\r\n", P::UnitOfMeasure, "", {}}},
        {C::GetUnitOfMeasure, {"Gu2en\r\n", {}, "u2en=@\r\n", P::UnitOfMeasure}},
        {C::SetUnitOfMeasure2, {"Su3en@\r\n", P::UnitOfMeasure, "", {}}},
        {C::GetUnitOfMeasure2, {"Gu3en\r\n", {}, "u3en=@\r\n", P::UnitOfMeasure}},
        {C::SetPowerSavingMode, {"Ssav@\r\n", P::PowerSavingMode, "", {}}},
        {C::GetPowerSavingMode, {"Gsav\r\n", {}, "sav=@\r\n", P::PowerSavingMode}},
        {C::Init, {"Sinit\r\n", {}, "", {}}},
        {C::SetCell1, {"Scell1@\r\n", P::Cell, "", {}}},
        {C::SetCell2, {"Scell2@\r\n", P::Cell, "", {}}},
    };
    return table;
}

std::vector<ParamType> Types(const std::optional<ParamType>& type) {
    return type ? std::vector<ParamType>{*type} : std::vector<ParamType>{};
}

std::unique_ptr<ICommandExecutor> CreateBalvexExecutor(Command command, const BalvexRow& row) {
    std::vector<ResponseValidator> validators = {DefaultResponseValidator};
    switch (command) {
        case Command::GetScalesModel:
            return std::make_unique<BalvexCommandModelExecutor>(command, Types(row.input), Types(row.output),
                                                                row.request, row.response, std::move(validators));
        case Command::GetProtocolVersion:
            return std::make_unique<GetProtocolVersionExecutor>(command, std::make_unique<BvxCommunicator>(),
                                                                Types(row.input), Types(row.output), row.request,
                                                                row.response, std::move(validators));
        case Command::SetWeightScaleCalibrationParameters:
            return std::make_unique<BalvexCommandExecutor>(
                command, std::make_unique<POSWaitUntilScaleStabilizesCommunicator>(), Types(row.input),
                Types(row.output), row.request, row.response, std::move(validators));
        default:
            return std::make_unique<BalvexCommandExecutor>(command, std::make_unique<BvxCommunicator>(),
                                                           Types(row.input), Types(row.output), row.request,
                                                           row.response, std::move(validators));
    }
}

std::unique_ptr<ICommandExecutor> Unsupported(ErrorCase& err) {
    err = ErrorCase::CommandUnsupported;
    return std::make_unique<EmptyExecutor>();
}

}  // namespace

std::unique_ptr<ICommandExecutor> CreateCommandExecutor(Command command, ErrorCase& err) {
    const auto balvex = BalvexTable().find(command);
    if (balvex != BalvexTable().end()) return CreateBalvexExecutor(command, balvex->second);

    switch (command) {
        case Command::GetProtocolAuto:
            return std::make_unique<GetProtocolVersionAutoExecutor>(command);
        case Command::StatusOfWeightChannelAuto:
            return std::make_unique<StatusOfWeightChannelAutoExecutor>(command);
        default:
            break;
    }

    const auto number = static_cast<std::int32_t>(command);
    if (number >= static_cast<std::int32_t>(Command::POSStatusOfWeightChannel) &&
        number <= static_cast<std::int32_t>(Command::OKASpecifyTare)) {
        if (auto retail = CreateRetailCommandExecutor(command)) return retail;
    }
    // The generic weighing commands reach here only when no protocol mapped them.
    return Unsupported(err);
}

}  // namespace driver
